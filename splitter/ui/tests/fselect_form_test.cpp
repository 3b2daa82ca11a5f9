// The file selection window on a fresh machine per test: the queue, the
// buttons, the command line and what Print hands to the processing window.
#include "splitter/ui/fselect_form.h"

#include <string>
#include <vector>

#include <QFontInfo>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/dialogs.h"
#include "platform/params.h"
#include "platform/prefix.h"
#include "platform/vcl/directory_list_box.h"
#include "platform/vcl/edit.h"
#include "platform/vcl/file_list_box.h"
#include "platform/vcl/memo.h"
#include "platform/vcl/tests/qt_environment.h"
#include "splitter/ui/button_with_color.h"
#include "tests/support/temp_prefix.h"

namespace splitter {
namespace {

using Lines = std::vector<std::string>;

const std::string kConfig = "C:\\Apps\\DAVURI.INI";
// The box of a run that stops at its settings: the product folder holds no
// check-writing program.
const std::string kNoCheckWriter =
    "Multiple Account Processing: Error: DurEDO Executable not found! (C:\\VEZ\\VEZ7.EXE)";
constexpr const char* kProductKey =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zerurud\\Ruvuduzer]\r\n"
    "\"Directory\"=\"C:\\\\VEZ\"\r\n";

class FSelectTest : public ::testing::Test {
 protected:
  FSelectTest() {
    win::SetCommandLine("C:\\Apps\\DAVURI.EXE", {});
    Write("C:\\Apps\\DAVURI.EXE", "program");
    Write(kConfig, "[Configuration]\r\nDurEDOPath=C:\\VEZ\r\n");
    Write("C:\\VEZ\\VEZ7.INI", "");
    Write("C:\\VEZ\\Files\\A.RUZ", "a");
    Write("C:\\VEZ\\Files\\b.ruz", "b");
    Write("C:\\VEZ\\Files\\notes.txt", "n");
    // The product is installed in C:\VEZ.
    testing_support::WriteFile(win::HivePath(), std::string(kProductKey));
    previous_ = &win::Dialogs();
    win::SetDialogs(&dialogs_);
  }
  ~FSelectTest() override { win::SetDialogs(previous_); }

  void Write(const std::string& path, const std::string& data) {
    testing_support::WriteFile(prefix_.OnDriveC(path), data);
  }

  static Lines FileList(TForm_FSelect& window) {
    Lines lines;
    for (int i = 0; i < window.FileListBox_Main->Items().Count(); ++i) {
      lines.push_back(window.FileListBox_Main->Items()[i]);
    }
    return lines;
  }
  static Lines Queue(TForm_FSelect& window) {
    Lines lines;
    for (int i = 0; i < window.Memo_Queue->Lines().Count(); ++i) {
      lines.push_back(window.Memo_Queue->Lines()[i]);
    }
    EXPECT_EQ(window.QueuedFiles.Count(), static_cast<int>(lines.size()));
    for (int i = 0; i < window.QueuedFiles.Count(); ++i) EXPECT_EQ(window.QueuedFiles[i], lines[i]);
    return lines;
  }
  // Double-clicks the line `name` of the file list.
  static void DoubleClick(TForm_FSelect& window, const std::string& name) {
    const int row = window.FileListBox_Main->Items().IndexOf(name);
    ASSERT_GE(row, 0) << name;
    window.FileListBox_Main->SetItemIndex(row);
    QWidget* viewport = window.FileListBox_Main->viewport();
    const QPoint at =
        window.FileListBox_Main->visualItemRect(window.FileListBox_Main->item(row)).center();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
  }

  testing_support::TempPrefix prefix_;
  win::TScriptedDialogs dialogs_;
  win::TDialogs* previous_ = nullptr;
};

TEST_F(FSelectTest, OpensOnTheProductFilesFolderAsDesigned) {
  TForm_FSelect window;
  EXPECT_EQ(window.windowTitle().toStdString(), "Zerurud VP Multiple Account Process");
  EXPECT_EQ(window.size(), QSize(421, 365));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  EXPECT_EQ(QFontInfo(window.font()).pixelSize(), 12);
  EXPECT_EQ(QFontInfo(window.btnPrint->font()).pixelSize(), 13);
  EXPECT_TRUE(window.btnPrint->font().bold());
  EXPECT_EQ(window.btnPrint->geometry(), QRect(10, 8, 89, 25));
  EXPECT_EQ(window.btnDiscard->geometry(), QRect(106, 8, 89, 25));
  EXPECT_EQ(window.btnExit->geometry(), QRect(324, 8, 89, 25));
  EXPECT_EQ(window.FileListBox_Main->geometry(), QRect(6, 52, 203, 132));
  EXPECT_EQ(window.DirectoryListBox_Main->geometry(), QRect(225, 54, 188, 132));
  EXPECT_EQ(window.Panel_BClient->geometry(), QRect(9, 14, 401, 73));

  EXPECT_EQ(window.DirectoryListBox_Main->Directory(), "C:\\VEZ\\Files");
  EXPECT_EQ(window.Label_Directory->text().toStdString(), "C:\\VEZ\\Files");
  EXPECT_EQ(FileList(window), (Lines{"a.ruz", "b.ruz"}));
  EXPECT_EQ(window.Edit_FName->Text(), "*.RUZ");
  EXPECT_EQ(window.StartFolder, "C:\\VEZ\\Files");
  EXPECT_TRUE(dialogs_.Shown.empty()) << dialogs_.Shown.front();

  const QImage image = window.grab().toImage();
  EXPECT_EQ(image.pixelColor(2, 2), QColor(0xE1, 0xE5, 0xEA));
  EXPECT_EQ(image.pixelColor(200, 250), QColor(0xE1, 0xE5, 0xEA)) << "the queue memo";
}

TEST_F(FSelectTest, ADoubleClickQueuesAFileOnceInAnyLetterCaseAndTheFileLeavesTheList) {
  // The command line queues its file unchanged, in upper case.
  win::SetCommandLine("C:\\Apps\\DAVURI.EXE", {"C:\\VEZ\\FILES\\A.RUZ", kConfig});
  TForm_FSelect window;
  ASSERT_EQ(Queue(window), (Lines{"C:\\VEZ\\FILES\\A.RUZ"}));
  window.AutoPrint = false;  // no run: this test browses

  window.DirectoryListBox_Main->SetDirectory("C:\\VEZ\\Files");
  EXPECT_EQ(FileList(window), (Lines{"b.ruz"})) << "a queued file is not offered again";
  DoubleClick(window, "b.ruz");
  EXPECT_EQ(Queue(window), (Lines{"C:\\VEZ\\FILES\\A.RUZ", "c:\\vez\\files\\b.ruz"}));
  EXPECT_EQ(FileList(window), Lines{});

  window.FileListBox_Main->SetItemIndex(-1);
  window.FileListBox_MainDblClick();
  EXPECT_EQ(Queue(window).size(), 2u) << "nothing selected adds nothing";

  window.DirectoryListBox_Main->SetDirectory("C:\\VEZ");
  window.DirectoryListBox_Main->SetDirectory("C:\\VEZ\\Files");
  EXPECT_EQ(FileList(window), Lines{}) << "nor after another folder was shown";
}

TEST_F(FSelectTest, PrintAndDiscardAreEnabledExactlyWhileTheQueueHasALine) {
  TForm_FSelect window;
  window.show();
  EXPECT_EVENTUALLY(!window.btnPrint->isEnabled() && !window.btnDiscard->isEnabled());
  DoubleClick(window, "a.ruz");
  EXPECT_TRUE(window.btnPrint->isEnabled());
  EXPECT_TRUE(window.btnDiscard->isEnabled());
  DoubleClick(window, "b.ruz");
  EXPECT_EQ(Queue(window), (Lines{"c:\\vez\\files\\a.ruz", "c:\\vez\\files\\b.ruz"}));

  // Discard puts every file back and deletes nothing.
  QTest::mouseClick(window.btnDiscard, Qt::LeftButton);
  EXPECT_EQ(Queue(window), Lines{});
  EXPECT_EQ(FileList(window), (Lines{"a.ruz", "b.ruz"}));
  EXPECT_TRUE(std::filesystem::exists(prefix_.OnDriveC("C:\\VEZ\\Files\\A.RUZ")));
  EXPECT_TRUE(std::filesystem::exists(prefix_.OnDriveC("C:\\VEZ\\Files\\b.ruz")));
  EXPECT_FALSE(window.btnPrint->isEnabled());
  EXPECT_FALSE(window.btnDiscard->isEnabled());
}

TEST_F(FSelectTest, EnterInTheEditOrTheFileListQueuesNothing) {
  TForm_FSelect window;
  window.show();
  window.FileListBox_Main->SetItemIndex(0);
  for (QWidget* widget :
       {static_cast<QWidget*>(window.FileListBox_Main), static_cast<QWidget*>(window.Edit_FName)}) {
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_Return);
    QTest::keyClick(widget, Qt::Key_Enter);
  }
  EXPECT_EQ(Queue(window), Lines{});
  EXPECT_EQ(FileList(window), (Lines{"a.ruz", "b.ruz"}));
}

TEST_F(FSelectTest, DotThenAConfigurationFileOpensNormallyWithThatFile) {
  Write("C:\\Other\\my.ini",
        "[Configuration]\r\nDurEDOPath=C:\\VEZ2\r\nHandleBadAcct=abort\r\n"
        "BadAcctFile=OTHER.LOG\r\n");
  Write("C:\\VEZ2\\VEZ7.INI", "");
  Write("C:\\VEZ2\\c.ruz", "c");
  win::SetCommandLine("C:\\Apps\\DAVURI.EXE", {".", "C:\\Other\\my.ini"});
  TForm_FSelect window;
  EXPECT_FALSE(window.AutoPrint);
  EXPECT_EQ(Queue(window), Lines{});
  EXPECT_EQ(window.Paths.ProductFolder, "C:\\VEZ2\\");
  EXPECT_EQ(window.DirectoryListBox_Main->Directory(), "C:\\VEZ2");
  EXPECT_EQ(FileList(window), (Lines{"c.ruz"}));
  EXPECT_EQ(window.Settings.HandleBadAcct, 3);
  EXPECT_EQ(window.Settings.BadAcctFile, "OTHER.LOG");
}

TEST_F(FSelectTest, AQueuedShareReachesTheProcessingWindowOnItsDrive) {
  testing_support::WriteFile(
      win::HivePath(),
      std::string(kProductKey) +
          "\r\n"
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zerurud\\Platform\\Network\\Connections]\r\n"
          "\"X:\"=\"\\\\\\\\srv\\\\share\"\r\n");
  TForm_FSelect window;
  window.QueuedFiles.Add("\\\\SRV\\Share\\dir\\x.ruz");
  window.Memo_Queue->Lines().Add("\\\\SRV\\Share\\dir\\x.ruz");
  window.QueuedFiles.Add("c:\\vez\\files\\a.ruz");
  window.Memo_Queue->Lines().Add("c:\\vez\\files\\a.ruz");
  // Without "VEZ7.EXE" in the product folder the run stops at its settings,
  // before it loads a file, and leaves its list as it was handed over.
  window.btnPrintClick();
  EXPECT_EQ(Queue(window), (Lines{"X:\\dir\\x.ruz", "c:\\vez\\files\\a.ruz"}));
  EXPECT_EQ(dialogs_.Shown, Lines{kNoCheckWriter});
}

TEST_F(FSelectTest, ACommandLineFileIsPrintedWithoutAClickAndALeftQueueKeepsTheWindowOpen) {
  win::SetCommandLine("C:\\Apps\\DAVURI.EXE", {"C:\\VEZ\\Files\\b.ruz", kConfig});
  TForm_FSelect window;
  EXPECT_TRUE(window.AutoPrint);
  window.show();
  EXPECT_EVENTUALLY(!window.AutoPrint);
  EXPECT_EQ(dialogs_.Shown, Lines{kNoCheckWriter}) << "the run stopped at its settings";
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(Queue(window), (Lines{"C:\\VEZ\\Files\\b.ruz"}));
  EXPECT_TRUE(window.btnPrint->isEnabled());
}

}  // namespace
}  // namespace splitter
