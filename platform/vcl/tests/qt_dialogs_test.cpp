// The Qt boxes and the Qt open dialog, answered by a user (keys and clicks)
// while they run modally.
#include "platform/vcl/qt_dialogs.h"

#include <string>

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/vcl/edit.h"
#include "platform/vcl/file_list_box.h"
#include "platform/vcl/open_dialog.h"
#include "platform/vcl/tests/qt_environment.h"
#include "tests/support/temp_prefix.h"

namespace {

using testing_support::WhenModalShown;

struct TSeenBox {
  std::string Caption, Text, Buttons, Icon;
};

// Records the box, then presses `key` in it.
void AnswerWithKey(TSeenBox& seen, Qt::Key key) {
  WhenModalShown([&seen, key](QWidget& modal) {
    auto& box = dynamic_cast<QMessageBox&>(modal);
    seen.Caption = box.windowTitle().toStdString();
    seen.Text = box.text().toStdString();
    for (QAbstractButton* button : box.buttons()) {
      if (!seen.Buttons.empty()) seen.Buttons += "/";
      seen.Buttons += button->text().remove('&').toStdString();
    }
    seen.Icon = std::to_string(static_cast<int>(box.icon()));
    QTest::keyClick(&box, key);
  });
}

TEST(QtDialogs, TheFirstButtonIsTheDefaultAndEscapeTheSecond) {
  win::TQtDialogs dialogs;
  struct Case {
    const char* name;
    std::function<bool()> show;
    Qt::Key key;
    bool expected;
    std::string buttons;
    QMessageBox::Icon icon;
  } cases[] = {
      {"yes/no Enter", [&] { return dialogs.Confirm("Go on?", win::TConfirmButtons::YesNo); },
       Qt::Key_Return, true, "Yes/No", QMessageBox::Question},
      {"yes/no Escape", [&] { return dialogs.Confirm("Go on?", win::TConfirmButtons::YesNo); },
       Qt::Key_Escape, false, "Yes/No", QMessageBox::Question},
      {"yes/cancel Escape",
       [&] { return dialogs.Confirm("Go on?", win::TConfirmButtons::YesCancel); }, Qt::Key_Escape,
       false, "Yes/Cancel", QMessageBox::Question},
      {"warning Enter", [&] { return dialogs.WarnOkCancel("Go on?"); }, Qt::Key_Return, true,
       "OK/Cancel", QMessageBox::Warning},
      {"warning Escape", [&] { return dialogs.WarnOkCancel("Go on?"); }, Qt::Key_Escape, false,
       "OK/Cancel", QMessageBox::Warning},
      {"information",
       [&] {
         dialogs.ShowInformation("Go on?");
         return true;
       },
       Qt::Key_Return, true, "OK", QMessageBox::Information},
      {"error",
       [&] {
         dialogs.ShowError("Go on?");
         return true;
       },
       Qt::Key_Escape, true, "OK", QMessageBox::Critical},
  };
  for (const Case& c : cases) {
    TSeenBox seen;
    AnswerWithKey(seen, c.key);
    EXPECT_EQ(c.show(), c.expected) << c.name;
    EXPECT_EQ(seen.Caption, testing_support::kTestApplicationTitle) << c.name;
    EXPECT_EQ(seen.Text, "Go on?") << c.name;
    // Button order follows the platform's style; what matters is which are there.
    std::string sorted = seen.Buttons;
    EXPECT_TRUE(seen.Buttons == c.buttons ||
                seen.Buttons == c.buttons.substr(c.buttons.find('/') + 1) + "/" +
                                    c.buttons.substr(0, c.buttons.find('/')))
        << c.name << ": " << seen.Buttons;
    EXPECT_EQ(seen.Icon, std::to_string(static_cast<int>(c.icon))) << c.name;
  }
}

TEST(QtDialogs, ACarriageReturnStartsANewLine) {
  win::TQtDialogs dialogs;
  TSeenBox seen;
  AnswerWithKey(seen, Qt::Key_Return);
  dialogs.ShowInformation("First\rSecond\r\nThird");
  EXPECT_EQ(seen.Text, "First\nSecond\nThird");
}

class QtOpenDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"Apps/VEZ/VEZ7.EXE", "Apps/VEZ/readme.txt", "Apps/Other/a.exe"}) {
      testing_support::WriteFile(prefix_.driveC() / name, "x");
    }
    dialog_.Title = "Please Browse to Vez Location";
    dialog_.Filter = "VEZ Exe|*.exe";
    dialog_.FileName = "VEZ7.EXE";
    dialog_.InitialDir = "C:\\Apps\\VEZ";
  }

  // Types `name` into the dialog's file name, presses OK, and records what
  // the file list showed.
  void TypeAndPressOk(const std::string& name, std::string& title, int& filesShown) {
    WhenModalShown([name, &title, &filesShown](QWidget& modal) {
      title = modal.windowTitle().toStdString();
      filesShown = modal.findChild<win::TFileListBox*>("Files")->count();
      auto* edit = modal.findChild<win::TEdit*>("FileName");
      edit->SetText(name);
      auto* buttons = modal.findChild<QDialogButtonBox*>("Buttons");
      QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
      if (modal.isVisible()) {
        QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
      }
    });
  }

  testing_support::TempPrefix prefix_;
  win::TQtOpenDialog dialog_;
};

TEST_F(QtOpenDialogTest, OkTakesTheTypedNameInTheFolderShown) {
  std::string title;
  int filesShown = 0;
  TypeAndPressOk("VEZ7.EXE", title, filesShown);
  ASSERT_TRUE(dialog_.Execute());
  EXPECT_EQ(dialog_.FileName, "C:\\Apps\\VEZ\\VEZ7.EXE");
  EXPECT_EQ(title, "Please Browse to Vez Location");
  EXPECT_EQ(filesShown, 1);  // the filter hides readme.txt
  EXPECT_EQ(win::GetCurrentDir(), "C:\\Apps\\VEZ");
}

TEST_F(QtOpenDialogTest, AFolderNameOpensTheFolderInsteadOfEndingTheDialog) {
  std::string title;
  int filesShown = 0;
  TypeAndPressOk("..\\Other", title, filesShown);
  EXPECT_FALSE(dialog_.Execute());
  EXPECT_EQ(dialog_.FileName, "VEZ7.EXE");
  EXPECT_EQ(win::GetCurrentDir(), "C:\\Apps\\Other");
}

TEST_F(QtOpenDialogTest, DoubleClickingAFileTakesIt) {
  dialog_.InitialDir = "C:\\Apps\\Other";
  WhenModalShown([](QWidget& modal) {
    auto* files = modal.findChild<win::TFileListBox*>("Files");
    QTest::mouseDClick(files->viewport(), Qt::LeftButton, {},
                       files->visualItemRect(files->item(0)).center());
  });
  ASSERT_TRUE(dialog_.Execute());
  EXPECT_EQ(dialog_.FileName, "C:\\Apps\\Other\\a.exe");
}

}  // namespace
