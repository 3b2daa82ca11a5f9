// The processing window over the real engine: how it looks, what its label
// and bar show, and how its paints drive a run to its end.
#include "splitter/ui/main_window.h"

#include <string>
#include <vector>

#include <QFontInfo>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/dialogs.h"
#include "platform/params.h"
#include "platform/process.h"
#include "platform/stringlist.h"
#include "platform/vcl/tests/qt_environment.h"
#include "tests/support/temp_prefix.h"

namespace splitter {
namespace {

using Lines = std::vector<std::string>;

// Every test gets a fresh window on a fresh machine, with the program at
// C:\Apps\DAVURI.EXE and its boxes answered from a script.
class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    win::SetCommandLine("C:\\Apps\\DAVURI.EXE", {});
    testing_support::WriteFile(prefix_.OnDriveC("C:\\Apps\\DAVURI.EXE"), "program");
    previous_ = &win::Dialogs();
    win::SetDialogs(&dialogs_);
  }
  ~MainWindowTest() override { win::SetDialogs(previous_); }

  // Hands the window the lists as the file selection window does.
  void GiveLists(TMainWindow& window) {
    window.Form().SelectedFiles = &selected_;
    window.Form().WrittenFiles = &written_;
    window.Form().WrittenAccounts = &accounts_;
  }

  testing_support::TempPrefix prefix_;
  win::TScriptedDialogs dialogs_;
  win::TDialogs* previous_ = nullptr;
  win::TStringList selected_, written_, accounts_;
};

TEST_F(MainWindowTest, LooksAsDesigned) {
  TMainWindow window;
  EXPECT_EQ(window.Caption(), "Account File Generation v5.0");
  EXPECT_EQ(window.Form().PrintNotRun, 2);
  EXPECT_TRUE(window.isModal());
  EXPECT_EQ(window.size(), QSize(394, 158));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());

  const QFontInfo font(window.Label_Convert->font());
  EXPECT_EQ(font.family().toStdString(), "DejaVu Sans");
  EXPECT_EQ(font.pixelSize(), 21);
  EXPECT_EQ(window.Label_Convert->alignment(), Qt::AlignCenter);
  EXPECT_EQ(window.Label_Convert->text().toStdString(), "Processing...");
  EXPECT_TRUE(window.rect().contains(window.Label_Convert->geometry()));
  EXPECT_TRUE(window.rect().contains(window.pbProgress->geometry()));
  EXPECT_GE(window.pbProgress->y(), window.Label_Convert->geometry().bottom());
  EXPECT_EQ(window.Timer_Execute->interval(), 100);
  EXPECT_FALSE(window.Timer_Execute->isActive());

  const QImage image = window.grab().toImage();
  EXPECT_EQ(image.size(), QSize(394, 158));
  EXPECT_EQ(image.pixelColor(3, 3), QColor(0xE1, 0xE5, 0xEA));
  EXPECT_EQ(image.pixelColor(390, 150), QColor(0xE1, 0xE5, 0xEA));
}

TEST_F(MainWindowTest, EachLabelTextReplacesTheLastAndACarriageReturnStartsALine) {
  TMainWindow window;
  struct Case {
    const char* text;
    const char* shown;
  } cases[] = {
      {"Decrypting...", "Decrypting..."},
      {"Multiple Account Processing...\rA100", "Multiple Account Processing...\nA100"},
      {"One\r\nTwo", "One\nTwo"},
      {"", ""},
  };
  for (const Case& c : cases) {
    window.SetLabelText(c.text);
    EXPECT_EQ(window.Label_Convert->text().toStdString(), c.shown) << c.text;
  }
}

TEST_F(MainWindowTest, TheBarClampsItsPositionToItsRangeAsAWindowsBarDoes) {
  struct Call {
    char kind;  // 'r' range, 'p' position, 's' step
    int value;
  };
  struct Case {
    const char* name;
    std::vector<Call> calls;
    int position;
  } cases[] = {
      {"inside", {{'r', 1000}, {'p', 250}}, 250},
      {"above the range", {{'r', 10}, {'p', 11}}, 10},
      {"below zero", {{'r', 10}, {'p', -1}}, 0},
      {"steps add up", {{'r', 10}, {'p', 2}, {'s', 3}, {'s', 4}}, 9},
      {"steps stop at the end", {{'r', 10}, {'s', 7}, {'s', 7}}, 10},
      {"a negative step stops at zero", {{'r', 10}, {'p', 3}, {'s', -5}}, 0},
      {"a smaller range takes the position along", {{'r', 100}, {'p', 80}, {'r', 50}}, 50},
      {"a huge step does not overflow",
       {{'r', 2147483647}, {'p', 2147483640}, {'s', 2147483647}},
       2147483647},
  };
  for (const Case& c : cases) {
    TMainWindow window;
    for (const Call& call : c.calls) {
      if (call.kind == 'r') window.SetProgressRange(call.value);
      if (call.kind == 'p') window.SetProgressPosition(call.value);
      if (call.kind == 's') window.StepProgressBy(call.value);
    }
    EXPECT_EQ(window.pbProgress->value(), c.position) << c.name;
  }
}

TEST_F(MainWindowTest, ARangeOfZeroIsAnEmptyBarNotABusyOne) {
  TMainWindow window;
  window.SetProgressRange(0);
  window.SetProgressPosition(5);
  EXPECT_EQ(window.pbProgress->value(), 0);
  EXPECT_GT(window.pbProgress->maximum(), window.pbProgress->minimum());
  window.HideProgress();
  EXPECT_TRUE(window.pbProgress->isHidden());
}

TEST_F(MainWindowTest, WithoutSelectedFilesTheRunSaysSoAndTheWindowClosesItself) {
  TMainWindow window;
  window.ShowModal();
  EXPECT_EQ(dialogs_.Shown,
            (Lines{"Multiple Account Processing: Information: No files were selected!"}));
  EXPECT_EQ(window.Label_Convert->text().toStdString(), "Cleaning up...");
  EXPECT_EQ(window.Form().Step, 9);
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(window.Form().CloseRequested);
}

TEST_F(MainWindowTest, AnErrorRaisedInAStepIsOneErrorBoxAndTheNextPaintCleansUp) {
  testing_support::WriteFile(prefix_.OnDriveC("C:\\Apps\\DAVURI.INI"),
                             "[Configuration]\r\nDurEDOPath=C:\\VEZ\r\n");
  TMainWindow window;
  GiveLists(window);
  selected_.Add("C:\\Jobs\\tl-x.ruz");
  window.ShowModal();
  EXPECT_EQ(dialogs_.Shown, (Lines{"Multiple Account Processing: Error: DurEDO Executable not "
                                   "found! (C:\\VEZ\\VEZ7.EXE)"}));
  EXPECT_EQ(window.Label_Convert->text().toStdString(), "Cleaning up...");
  EXPECT_EQ(window.Form().Step, 9);
  EXPECT_EQ(window.Form().PrintNotRun, 2);
  EXPECT_EQ(selected_.Count(), 1);
}

// Boxes whose information box is closed with the window behind it: the user
// closes the window while a handler runs.
class TClosingDialogs : public win::TScriptedDialogs {
 public:
  explicit TClosingDialogs(QWidget& window) : FWindow(window) {}
  void ShowInformation(const std::string& message) override {
    win::TScriptedDialogs::ShowInformation(message);
    FWindow.close();
  }

 private:
  QWidget& FWindow;
};

TEST_F(MainWindowTest, ClosingTheWindowLetsTheRunningHandlerEndAndNoLaterStepRuns) {
  TMainWindow window;
  TClosingDialogs closing(window);
  win::SetDialogs(&closing);
  window.ShowModal();
  EXPECT_TRUE(window.Form().CloseRequested);
  EXPECT_EQ(closing.Shown.size(), 1u);
  // formShow sent the run to clean-up, but clean-up had not started.
  EXPECT_EQ(window.Form().Step, 8);
  EXPECT_EQ(window.Label_Convert->text().toStdString(), "Processing...");
}

TEST_F(MainWindowTest, EscapeDoesNotCloseTheWindow) {
  TMainWindow window;
  GiveLists(window);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.Form().CloseRequested);
}

// Swallows the application's quit event once the windows have seen it, so
// that the test program itself goes on.
class TQuitSwallower : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Quit; }
};

TEST_F(MainWindowTest, TheEndOfTheApplicationIsPassedToTheEngine) {
  TQuitSwallower swallower;
  qApp->installEventFilter(&swallower);
  TMainWindow window;
  QEvent quit(QEvent::Quit);
  QCoreApplication::sendEvent(qApp, &quit);
  qApp->removeEventFilter(&swallower);
  EXPECT_TRUE(window.Form().ApplicationTerminated);
  EXPECT_FALSE(window.Form().CloseRequested);
}

TEST_F(MainWindowTest, TimerExecuteWatchesTheChainProcessUntilItEnds) {
  TMainWindow window;
  win::TProcessInformation info;
  ASSERT_TRUE(win::CreateProcess("Z:\\bin\\true", false, "", {}, info));
  window.Form().ChainProcess = info.Process;
  window.Form().Step = 7;
  window.SetTimerInterval(10);
  window.SetTimerEnabled(true);
  EXPECT_EQ(window.Timer_Execute->interval(), 10);
  EXPECT_EVENTUALLY(window.Form().Step == 8);
  EXPECT_EQ(window.Form().ChainProcess, nullptr);
  window.SetTimerEnabled(false);
  EXPECT_FALSE(window.Timer_Execute->isActive());
}

TEST_F(MainWindowTest, QuitProgramEndsTheProgramAtOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        TMainWindow window;
        window.QuitProgram();
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace splitter
