// A processing window on a fresh machine: the prefix with its drive C:, the
// program at C:\Apps\DAVURI.EXE, the lists the file selection window hands
// over, and a fake view.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/product.h"
#include "platform/params.h"
#include "platform/registry.h"
#include "platform/stringlist.h"
#include "splitter/engine/main_form/main.h"
#include "splitter/engine/tests/fake_main_view.h"
#include "tests/support/processing_window.h"
#include "tests/support/temp_prefix.h"

namespace splitter {

class EngineTest : public ::testing::Test {
 protected:
  EngineTest() {
    win::SetCommandLine("C:\\Apps\\DAVURI.EXE", {});
    WriteFile("C:\\Apps\\DAVURI.EXE", "program");
  }

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

  // The product's folder C:\VEZ\ with its program, recorded in the registry.
  void InstallProduct(const std::string& folder = "C:\\VEZ") {
    WriteFile(folder + "\\VEZ7.EXE", "program");
    win::TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(std::string(common::kProductRegistryKey), true));
    registry.WriteString(std::string(common::kProductDirectoryValue), folder);
  }
  void SetComputerName(const std::string& name) {
    win::TRegistry registry;
    ASSERT_TRUE(
        registry.OpenKey("SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName", true));
    registry.WriteString("ComputerName", name);
  }
  void WriteIni(const std::string& text) { WriteFile("C:\\Apps\\DAVURI.INI", text); }

  static std::vector<std::string> Entries(const win::TStringList& list) {
    std::vector<std::string> entries;
    for (int i = 0; i < list.Count(); ++i) entries.push_back(list[i]);
    return entries;
  }

  testing_support::TempPrefix FPrefix;
  TFakeMainView FView;
  testing_support::TProcessingWindow FWindow{FView};
  Tform_Main& FForm = FWindow.Form;
  win::TStringList& FSelectedFiles = FWindow.SelectedFiles;
  win::TStringList& FWrittenFiles = FWindow.WrittenFiles;
  win::TStringList& FWrittenAccounts = FWindow.WrittenAccounts;
};

}  // namespace splitter
