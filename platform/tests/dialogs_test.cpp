#include "platform/dialogs.h"

#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/scoped_variable.h"

namespace {

using testing_support::TScopedVariable;

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override { win::SetApplicationTitle("Multiple Account Processing"); }
  void TearDown() override {
    win::SetApplicationTitle("");
    win::SetDialogs(nullptr);
  }
};

// Each box is one line, and the questions take their default button.
TEST_F(DialogsTest, ConsoleBoxesAreOneLineAndTakeTheDefaultAnswer) {
  std::ostringstream out;
  win::TConsoleDialogs dialogs(out);

  dialogs.ShowInformation("No files were selected!");
  EXPECT_TRUE(dialogs.Confirm("Account A100 rejected.\rContinue?", win::TConfirmButtons::YesNo));
  EXPECT_TRUE(dialogs.Confirm("Reload?\r\nAll of it", win::TConfirmButtons::YesCancel));
  EXPECT_TRUE(dialogs.WarnOkCancel("Chain conversion x.exe not found!\n"));
  dialogs.ShowError("Error #2 executing C:\\VEZ\\VEZ7.EXE");

  EXPECT_EQ(out.str(),
            "Multiple Account Processing: Information: No files were selected!\n"
            "Multiple Account Processing: Confirmation (Yes/No): Account A100 rejected. "
            "Continue? -> Yes\n"
            "Multiple Account Processing: Confirmation (Yes/Cancel): Reload? All of it -> Yes\n"
            // The message's own line break is a blank of its own.
            "Multiple Account Processing: Warning (OK/Cancel): Chain conversion x.exe not found!  "
            "-> OK\n"
            "Multiple Account Processing: Error: Error #2 executing C:\\VEZ\\VEZ7.EXE\n");
}

TEST_F(DialogsTest, WithoutATitleTheLineStartsWithTheKindOfBox) {
  win::SetApplicationTitle("");
  std::ostringstream out;
  win::TConsoleDialogs(out).ShowInformation("Done");
  EXPECT_EQ(out.str(), "Information: Done\n");
}

TEST_F(DialogsTest, ScriptedBoxesAnswerInOrderAndRecordTheAnswerGiven) {
  win::TScriptedDialogs dialogs;
  dialogs.Answers = {false, true, false};

  EXPECT_FALSE(dialogs.Confirm("Continue?", win::TConfirmButtons::YesNo));
  EXPECT_TRUE(dialogs.WarnOkCancel("Careful"));
  dialogs.ShowError("Broken");
  EXPECT_FALSE(dialogs.Confirm("Reload?", win::TConfirmButtons::YesCancel));

  EXPECT_EQ(dialogs.Shown,
            (std::vector<std::string>{
                "Multiple Account Processing: Confirmation (Yes/No): Continue? -> No",
                "Multiple Account Processing: Warning (OK/Cancel): Careful -> OK",
                "Multiple Account Processing: Error: Broken",
                "Multiple Account Processing: Confirmation (Yes/Cancel): Reload? "
                "-> Cancel",
            }));
  EXPECT_TRUE(dialogs.Answers.empty());
}

TEST_F(DialogsTest, AQuestionPastTheScriptThrowsInsteadOfAnswering) {
  win::TScriptedDialogs dialogs;
  dialogs.ShowInformation("No question here");
  try {
    dialogs.WarnOkCancel("Cancel ends the program");
    FAIL() << "answered without a script";
  } catch (const win::TScriptedDialogs::TScriptEnded& ended) {
    EXPECT_EQ(ended.Question, "Cancel ends the program");
  }
  EXPECT_EQ(dialogs.Shown.size(), 1u);
}

TEST_F(DialogsTest, InstalledDialogsReplaceTheConsoleOnesUntilRemoved) {
  win::TScriptedDialogs scripted;
  win::SetDialogs(&scripted);
  win::Dialogs().ShowInformation("to the script");
  EXPECT_EQ(scripted.Shown.size(), 1u);

  win::SetDialogs(nullptr);
  EXPECT_NE(dynamic_cast<win::TConsoleDialogs*>(&win::Dialogs()), nullptr);
}

TEST_F(DialogsTest, AnUnattendedOpenDialogEndsTheProgramWithItsQuestion) {
  win::TConsoleOpenDialog dialog(std::cerr);
  dialog.Title = "Please Browse to Vez Location";
  dialog.Filter = "VEZ Exe|*.exe";
  EXPECT_EXIT(dialog.Execute(), ::testing::ExitedWithCode(1),
              "^Multiple Account Processing: Open: Please Browse to Vez Location \\(VEZ "
              "Exe\\|\\*\\.exe\\): no file can be picked unattended\n$");
}

TEST_F(DialogsTest, TheEnvironmentChoosesTheKindOfBoxes) {
  struct Case {
    std::optional<std::string> dialogs, display, wayland;
    win::TDialogsKind expected;
  };
  const Case cases[] = {
      {"console", ":0", std::nullopt, win::TDialogsKind::Console},
      {"Console", ":0", std::nullopt, win::TDialogsKind::Console},
      {"qt", std::nullopt, std::nullopt, win::TDialogsKind::Qt},
      // Without a choice: Qt exactly when a display is there.
      {std::nullopt, ":0", std::nullopt, win::TDialogsKind::Qt},
      {std::nullopt, std::nullopt, "wayland-0", win::TDialogsKind::Qt},
      {std::nullopt, std::nullopt, std::nullopt, win::TDialogsKind::Console},
      {std::nullopt, "", "", win::TDialogsKind::Console},
      // An unknown choice counts as none.
      {"gtk", std::nullopt, std::nullopt, win::TDialogsKind::Console},
      {"gtk", ":1", std::nullopt, win::TDialogsKind::Qt},
  };
  for (const Case& c : cases) {
    TScopedVariable dialogs("ZERURUD_DIALOGS", c.dialogs);
    TScopedVariable display("DISPLAY", c.display);
    TScopedVariable wayland("WAYLAND_DISPLAY", c.wayland);
    EXPECT_EQ(win::DialogsKindFromEnvironment(), c.expected)
        << c.dialogs.value_or("(unset)") << " / " << c.display.value_or("(unset)") << " / "
        << c.wayland.value_or("(unset)");
  }
}

}  // namespace
