// The file-system components over a real prefix: what they list is what the
// platform's search finds there, and moving them moves the process.
#include <filesystem>
#include <string>
#include <vector>

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/files.h"
#include "platform/vcl/directory_list_box.h"
#include "platform/vcl/drive_combo_box.h"
#include "platform/vcl/edit.h"
#include "platform/vcl/file_list_box.h"
#include "platform/vcl/filter_combo_box.h"
#include "platform/vcl/memo.h"
#include "platform/vcl/tests/qt_environment.h"
#include "tests/support/temp_prefix.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

template <typename TItems>
Lines AllOf(TItems& items) {
  Lines lines;
  for (int i = 0; i < items.Count(); ++i) lines.push_back(items[i]);
  return lines;
}

class ComponentsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name :
         {"Jobs/Alpha.RUZ", "Jobs/beta.ruz", "Jobs/gamma.txt", "Jobs/.hidden.ruz",
          "Jobs/Archive/old.ruz", "Jobs/zeta/x.ruz", "Jobs/Bin.RUZ/x"}) {
      testing_support::WriteFile(prefix_.driveC() / name, "x");
    }
    fs::create_directories(prefix_.root() / "drive_d" / "Data");
    fs::create_symlink("../drive_d", prefix_.root() / "dosdevices" / "d:");
  }

  testing_support::TempPrefix prefix_;
};

TEST_F(ComponentsTest, TheFileListShowsThePlainFilesTheMaskFindsSortedAndAsOnDisk) {
  struct Case {
    const char* mask;
    Lines expected;
  } cases[] = {
      {"*.RUZ", {"Alpha.RUZ", "beta.ruz"}},
      {"*.*", {"Alpha.RUZ", "beta.ruz", "gamma.txt"}},
      {"*.txt;*.ruz", {"Alpha.RUZ", "beta.ruz", "gamma.txt"}},
      {"*.ruz;b*", {"Alpha.RUZ", "beta.ruz"}},
      {"?e*", {"beta.ruz"}},
      {"*.doc", {}},
      {"", {}},
  };
  win::TFileListBox list;
  list.SetDirectory("C:\\JOBS");
  for (const Case& c : cases) {
    list.SetMask(c.mask);
    EXPECT_EQ(AllOf(list.Items()), c.expected) << c.mask;
  }

  list.SetDirectory("C:\\Missing");
  EXPECT_EQ(list.Items().Count(), 0);
}

TEST_F(ComponentsTest, TheLinkedEditShowsTheSelectedNameOrElseTheMask) {
  win::TFileListBox list;
  win::TEdit edit;
  list.SetDirectory("C:\\Jobs");
  list.SetMask("*.RUZ");
  list.SetFileEdit(&edit);
  EXPECT_EQ(edit.Text(), "*.RUZ");

  list.SetItemIndex(1);
  EXPECT_EQ(edit.Text(), "beta.ruz");
  EXPECT_EQ(list.FileName(), "C:\\Jobs\\beta.ruz");

  list.Update();
  EXPECT_EQ(list.ItemIndex(), -1);
  EXPECT_EQ(edit.Text(), "*.RUZ");
  EXPECT_EQ(list.FileName(), "");
}

TEST_F(ComponentsTest, AddedLinesKeepTheirSortedPlace) {
  win::TFileListBox list;
  list.SetDirectory("C:\\Jobs");
  list.SetMask("*.doc");
  for (const char* line : {"m.ruz", "B.ruz", "a.ruz", "Z.ruz", "b.ruz"}) list.Items().Add(line);
  EXPECT_EQ(AllOf(list.Items()), (Lines{"a.ruz", "B.ruz", "b.ruz", "m.ruz", "Z.ruz"}));
  EXPECT_EQ(list.Items().IndexOf("M.RUZ"), 3);
  EXPECT_EQ(list.Items().IndexOf("n.ruz"), -1);
}

TEST_F(ComponentsTest, DoubleClickAndKeysReachTheirHandlers) {
  win::TFileListBox list;
  list.SetDirectory("C:\\Jobs");
  list.resize(200, 130);
  list.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
  QSignalSpy doubleClicks(&list, &win::TFileListBox::DblClick);
  std::string keys;
  QObject::connect(&list, &win::TFileListBox::KeyPress, &list, [&keys](char& key) {
    keys += key;
    if (key == '\r') key = 0;
  });

  const QRect second = list.visualItemRect(list.item(1));
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, second.center());
  EXPECT_EVENTUALLY(doubleClicks.count() == 1);
  EXPECT_EQ(list.ItemIndex(), 1);

  QTest::keyClick(&list, Qt::Key_Return);
  QTest::keyClick(&list, Qt::Key_Down);
  QTest::keyClick(&list, 'g');
  EXPECT_EQ(keys, "\rg");
  EXPECT_EQ(doubleClicks.count(), 1);
}

TEST_F(ComponentsTest, AnEditDiscardsTheKeysItsHandlerClears) {
  win::TEdit edit;
  QSignalSpy changes(&edit, &win::TEdit::Change);
  QObject::connect(&edit, &win::TEdit::KeyPress, &edit, [](char& key) {
    if (key == 'x') key = 0;
  });
  QTest::keyClicks(&edit, "axb");
  EXPECT_EQ(edit.Text(), "ab");
  EXPECT_EQ(changes.count(), 2);
  edit.SetText("*.RUZ");
  EXPECT_EQ(changes.count(), 3);
}

TEST_F(ComponentsTest, TheFilterComboSetsTheFileListsMaskBeforeItsChange) {
  win::TFileListBox list;
  list.SetDirectory("C:\\Jobs");
  win::TFilterComboBox filter;
  filter.SetFileList(&list);
  filter.SetFilter("Zerurud Printer File|*.RUZ|All Files|*.*");
  EXPECT_EQ(filter.count(), 2);
  EXPECT_EQ(filter.itemText(0).toStdString(), "Zerurud Printer File");
  EXPECT_EQ(filter.itemText(1).toStdString(), "All Files");
  EXPECT_EQ(list.Mask(), "*.RUZ");
  EXPECT_EQ(AllOf(list.Items()), (Lines{"Alpha.RUZ", "beta.ruz"}));

  std::vector<std::string> masksAtChange;
  QObject::connect(&filter, &win::TFilterComboBox::Change, &filter,
                   [&] { masksAtChange.push_back(list.Mask()); });
  QTest::keyClick(&filter, Qt::Key_Down);
  EXPECT_EQ(masksAtChange, (std::vector<std::string>{"*.*"}));
  EXPECT_EQ(AllOf(list.Items()), (Lines{"Alpha.RUZ", "beta.ruz", "gamma.txt"}));

  filter.SetItemIndex(0);
  EXPECT_EQ(list.Mask(), "*.RUZ");
  EXPECT_EQ(masksAtChange.size(), 1u);
}

TEST_F(ComponentsTest, FilterStringsWithoutMasksFallBackToEveryFile) {
  struct Case {
    const char* filter;
    Lines descriptions;
    Lines masks;
  } cases[] = {
      {"Text|*.txt", {"Text"}, {"*.txt"}},
      {"Text", {"Text"}, {"*.*"}},
      {"A|*.a|B", {"A", "B"}, {"*.a", "*.*"}},
      {"A||B|*.b", {"A", "B"}, {"*.*", "*.b"}},
      {"", {}, {}},
  };
  for (const Case& c : cases) {
    win::TFilterComboBox filter;
    filter.SetFilter(c.filter);
    Lines descriptions, masks;
    for (int i = 0; i < filter.count(); ++i) {
      descriptions.push_back(filter.itemText(i).toStdString());
      filter.SetItemIndex(i);
      masks.push_back(filter.Mask());
    }
    EXPECT_EQ(descriptions, c.descriptions) << c.filter;
    EXPECT_EQ(masks, c.masks) << c.filter;
    EXPECT_EQ(filter.Filter(), c.filter);
  }
  win::TFilterComboBox empty;
  empty.SetFilter("");
  EXPECT_EQ(empty.Mask(), "*.*");
}

TEST_F(ComponentsTest, MovingTheFolderListMovesTheProcessAndItsLinks) {
  win::TDirectoryListBox folders;
  win::TFileListBox files;
  QLabel label;
  folders.SetFileList(&files);
  folders.SetDirLabel(&label);
  QSignalSpy changes(&folders, &win::TDirectoryListBox::Change);

  folders.SetDirectory("C:\\Jobs");
  EXPECT_EQ(win::GetCurrentDir(), "C:\\Jobs");
  EXPECT_EQ(folders.Directory(), "C:\\Jobs");
  EXPECT_EQ(files.Directory(), "C:\\Jobs");
  EXPECT_EQ(label.text().toStdString(), "C:\\Jobs");
  EXPECT_EQ(changes.count(), 1);
  // The way down, then the subfolders as on disk, hidden ones left out.
  Lines lines;
  for (int i = 0; i < folders.count(); ++i) lines.push_back(folders.item(i)->text().toStdString());
  EXPECT_EQ(lines, (Lines{"C:\\", "  Jobs", "    Archive", "    Bin.RUZ", "    zeta"}));
  EXPECT_EQ(folders.currentRow(), 1);

  folders.SetDirectory("zeta");
  EXPECT_EQ(win::GetCurrentDir(), "C:\\Jobs\\zeta");
  EXPECT_EQ(AllOf(files.Items()), (Lines{"x.ruz"}));
  EXPECT_EQ(changes.count(), 2);

  // Setting the same folder again still tells the handlers.
  folders.SetDirectory("C:\\Jobs\\zeta");
  EXPECT_EQ(changes.count(), 3);
}

TEST_F(ComponentsTest, AFolderThatCannotBeEnteredRaisesAndTheListStays) {
  win::TDirectoryListBox folders;
  folders.SetDirectory("C:\\Jobs");
  QSignalSpy changes(&folders, &win::TDirectoryListBox::Change);
  try {
    folders.SetDirectory("C:\\Jobs\\Missing");
    FAIL() << "entered a missing folder";
  } catch (const win::EInOutError& error) {
    EXPECT_EQ(error.ErrorCode, win::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(error.Message(), win::SysErrorMessage(win::ERROR_FILE_NOT_FOUND));
  }
  EXPECT_EQ(folders.Directory(), "C:\\Jobs");
  EXPECT_EQ(win::GetCurrentDir(), "C:\\Jobs");
  EXPECT_EQ(changes.count(), 0);
}

TEST_F(ComponentsTest, DoubleClickingALineOfTheFolderListOpensIt) {
  win::TDirectoryListBox folders;
  folders.SetDirectory("C:\\Jobs");
  folders.resize(190, 130);
  folders.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&folders));
  QSignalSpy changes(&folders, &win::TDirectoryListBox::Change);

  QTest::mouseDClick(folders.viewport(), Qt::LeftButton, {},
                     folders.visualItemRect(folders.item(2)).center());
  EXPECT_EVENTUALLY(changes.count() == 1);
  EXPECT_EQ(win::GetCurrentDir(), "C:\\Jobs\\Archive");

  QTest::mouseDClick(folders.viewport(), Qt::LeftButton, {},
                     folders.visualItemRect(folders.item(0)).center());
  EXPECT_EVENTUALLY(changes.count() == 2);
  EXPECT_EQ(win::GetCurrentDir(), "C:\\");

  folders.setCurrentRow(1);
  QTest::keyClick(&folders, Qt::Key_Return);
  EXPECT_EQ(changes.count(), 3);
  EXPECT_EQ(win::GetCurrentDir(), "C:\\Jobs");
}

TEST_F(ComponentsTest, TheDriveComboListsThePrefixsDrivesAndMovesTheFolderList) {
  win::TDirectoryListBox folders;
  folders.SetDirectory("C:\\Jobs");
  win::TDriveComboBox drives;
  drives.SetDirList(&folders);
  Lines shown;
  for (int i = 0; i < drives.count(); ++i) shown.push_back(drives.itemText(i).toStdString());
  EXPECT_EQ(shown, (Lines{"c:", "d:", "z:"}));
  EXPECT_EQ(drives.Drive(), 'C');

  QSignalSpy changes(&drives, &win::TDriveComboBox::Change);
  QTest::keyClick(&drives, Qt::Key_Down);
  EXPECT_EQ(changes.count(), 1);
  EXPECT_EQ(drives.Drive(), 'D');
  EXPECT_EQ(win::GetCurrentDir(), "D:\\");

  // Back on C:, the folder list returns to the folder C: had.
  drives.SetDrive('c');
  EXPECT_EQ(win::GetCurrentDir(), "C:\\Jobs");
  // And the combo follows the folder list to another drive.
  folders.SetDirectory("D:\\Data");
  EXPECT_EQ(drives.Drive(), 'D');
}

TEST_F(ComponentsTest, TheMemosLinesAreItsTextAndEveryChangeIsReported) {
  win::TMemo memo;
  QSignalSpy changes(&memo, &win::TMemo::Change);
  EXPECT_EQ(memo.Lines().Count(), 0);
  memo.Lines().Add("c:\\jobs\\a.ruz");
  memo.Lines().Add("c:\\jobs\\b.ruz");
  EXPECT_EQ(AllOf(memo.Lines()), (Lines{"c:\\jobs\\a.ruz", "c:\\jobs\\b.ruz"}));
  EXPECT_EQ(memo.toPlainText().toStdString(), "c:\\jobs\\a.ruz\nc:\\jobs\\b.ruz");
  EXPECT_GE(changes.count(), 2);
  const int before = changes.count();
  memo.Lines().Clear();
  EXPECT_EQ(memo.Lines().Count(), 0);
  EXPECT_GT(changes.count(), before);
}

TEST_F(ComponentsTest, ApplyingAPathMovesTheFolderOrTakesTheMaskOrSelects) {
  win::TDirectoryListBox folders;
  win::TFileListBox files;
  folders.SetFileList(&files);
  files.ApplyFilePath("C:\\Jobs\\");
  EXPECT_EQ(win::GetCurrentDir(), "C:\\Jobs");
  files.ApplyFilePath("*.txt");
  EXPECT_EQ(files.Mask(), "*.txt");
  files.ApplyFilePath("C:\\Jobs\\*.RUZ");
  EXPECT_EQ(files.Mask(), "*.RUZ");
  files.ApplyFilePath("BETA.RUZ");
  EXPECT_EQ(files.FileName(), "C:\\Jobs\\beta.ruz");
  EXPECT_THROW(files.ApplyFilePath("C:\\Nowhere\\a.ruz"), win::EInOutError);
  EXPECT_EQ(win::GetCurrentDir(), "C:\\Jobs");
}

}  // namespace
