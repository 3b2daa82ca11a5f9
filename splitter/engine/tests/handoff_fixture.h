// A processing window for the tests of the hand-off, the chain commands and
// the sequence: a fresh machine with the splitter at C:\Apps\DAVURI.EXE, the
// lists the file selection window hands over, and a fake view that queues
// the paints asked for and runs them, and the timer, when the test says so.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/db.h"
#include "platform/error.h"
#include "platform/params.h"
#include "platform/process.h"
#include "platform/stringlist.h"
#include "splitter/engine/main_form/main.h"
#include "splitter/engine/tests/fake_main_view.h"
#include "splitter/engine/tests/splitter_login.h"
#include "tests/support/processing_window.h"
#include "tests/support/recorder/record.h"
#include "tests/support/temp_prefix.h"
#include "tests/support/test_database.h"

namespace splitter {

// Invalidate queues one paint; RunEvents plays the window's message loop.
class TPaintingView : public TFakeMainView {
 public:
  void Invalidate() override {
    TFakeMainView::Invalidate();
    PaintQueued = true;
  }

  // Runs queued paints, and timer ticks while the timer runs, until the
  // window closes or nothing is left to do. An error raised by a handler
  // goes to the error box, as the application shows it. Instead of waiting
  // for the timer's interval, a tick waits until the watched process has
  // ended; `onProcessEnded` runs then, before the tick.
  void RunEvents(Tform_Main& form, const std::function<void()>& onProcessEnded = {}) {
    while (!Closed) {
      if (PaintQueued) {
        PaintQueued = false;
        Handle([&] { form.formPaint(); });
      } else if (TimerEnabled && form.ChainProcess != nullptr) {
        win::WaitForSingleObject(form.ChainProcess, win::INFINITE);
        if (onProcessEnded) onProcessEnded();
        Handle([&] { form.Timer_ExecuteTimer(); });
      } else {
        return;
      }
    }
  }

  bool PaintQueued = false;

 private:
  void Handle(const std::function<void()>& handler) {
    try {
      handler();
    } catch (const win::Exception& error) {
      ShowErrorBox(error.Message());
    }
  }
};

class HandOffTest : public ::testing::Test {
 protected:
  HandOffTest() { win::SetCommandLine("C:\\Apps\\DAVURI.EXE", {}); }
  // The host file behind `windowsPath` on drive C: ("C:\Jobs\a.ruz").
  std::filesystem::path HostPath(const std::string& windowsPath) const {
    return FPrefix.OnDriveC(windowsPath);
  }
  void WriteFile(const std::string& windowsPath, const std::string& data) const {
    testing_support::WriteFile(HostPath(windowsPath), data);
  }
  std::string ReadFile(const std::string& windowsPath) const {
    return testing_support::ReadFile(HostPath(windowsPath));
  }
  bool Exists(const std::string& windowsPath) const {
    return std::filesystem::exists(HostPath(windowsPath));
  }

  // Installs the host program `program` as `windowsPath`.
  void InstallProgram(const std::string& windowsPath, const std::filesystem::path& program) const {
    std::filesystem::create_directories(HostPath(windowsPath).parent_path());
    std::filesystem::copy_file(program, HostPath(windowsPath),
                               std::filesystem::copy_options::overwrite_existing);
  }
  // A shell script as `windowsPath`, run by the host's shell.
  void InstallScript(const std::string& windowsPath, const std::string& body) const {
    WriteFile(windowsPath, "#!/bin/sh\n" + body);
    ::chmod(HostPath(windowsPath).c_str(), 0755);
  }

  static std::vector<std::string> Entries(const win::TStringList& list) {
    std::vector<std::string> entries;
    for (int i = 0; i < list.Count(); ++i) entries.push_back(list[i]);
    return entries;
  }

  // The recorder's record of the last program it ran, which is then
  // removed; the record's argv is empty when none ran.
  testing_support::TRecorderRecord TakeRecord() {
    testing_support::TRecorderRecord record;
    if (testing_support::ReadRecorderRecord(FRecordFile, record)) {
      std::filesystem::remove(FRecordFile);
    }
    return record;
  }

  testing_support::TempPrefix FPrefix;
  testing_support::TempDir FOut;
  std::filesystem::path FRecordFile = FOut.path() / "record";
  testing_support::TScopedVariable FRecordVariable{"ARGV_RECORDER_OUT", FRecordFile.string()};
  TPaintingView FView;
  testing_support::TProcessingWindow FWindow{FView};
  Tform_Main& FForm = FWindow.Form;
  win::TStringList& FSelectedFiles = FWindow.SelectedFiles;
  win::TStringList& FWrittenFiles = FWindow.WrittenFiles;
  win::TStringList& FWrittenAccounts = FWindow.WrittenAccounts;
};

// The same with the splitter's connection to the test database server.
class HandOffDbTest : public HandOffTest {
 protected:
  void SetUp() override {
    if (!testing_support::test_database::HaveServer())
      GTEST_SKIP() << testing_support::test_database::kNoServer;
    testing_support::test_database::UseRoot(FRoot);
    FRoot.Connect();
    UseSplitterLogin(FDb);
    FDb.Connect();
    FForm.Database = &FDb;
  }

  std::string LatePreProcess() {
    return testing_support::test_database::ReadOne(
        FRoot, "SELECT data FROM configuration WHERE identifier='LatePreProcess'", "data");
  }

  win::TZConnection FRoot;
  win::TZConnection FDb;
};

}  // namespace splitter
