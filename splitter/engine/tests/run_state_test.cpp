#include <string>

#include <gtest/gtest.h>

#include "platform/error.h"
#include "splitter/engine/tests/engine_fixture.h"
#include "tests/support/expect_raises.h"

namespace splitter {

using testing_support::ExpectRaises;

namespace {

using RunState = EngineTest;

TEST_F(RunState, CreatedWindow) {
  FForm.Step = 5;
  FForm.formCreate();
  EXPECT_EQ(FView.CaptionText, "Account File Generation v5.0");
  EXPECT_EQ(FForm.Step, 0);
  EXPECT_EQ(FForm.PrintNotRun, 2);
  EXPECT_EQ(FView.Invalidations, 1);
}

TEST_F(RunState, ShownWithoutSelectedFiles) {
  FForm.formCreate();
  FForm.formShow();
  EXPECT_TRUE(FView.Informations.empty());
  EXPECT_EQ(FForm.Step, 0);
  FForm.SelectedFiles = nullptr;
  FForm.formShow();
  EXPECT_EQ(FView.Informations, std::vector<std::string>{"No files were selected!"});
  EXPECT_EQ(FForm.Step, 8);
  EXPECT_EQ(FView.Invalidations, 3);
}

TEST_F(RunState, FatalStopSendsTheRunToCleanUp) {
  ExpectRaises<win::Exception>([&] { FForm.FatalStop("Error #2 executing C:\\VEZ\\VEZ7.EXE"); },
                               "Error #2 executing C:\\VEZ\\VEZ7.EXE");
  EXPECT_EQ(FForm.Step, 8);
  EXPECT_EQ(FView.Invalidations, 1);
}

TEST_F(RunState, WarnOrQuit) {
  FView.WarnAnswers = {true, false};
  FForm.WarnOrQuit("Chain conversion CONV.EXE not found!");
  EXPECT_FALSE(FView.Quit);
  EXPECT_THROW(FForm.WarnOrQuit("Invalid chain command PARAMSTRx!"), TFakeMainView::TQuit);
  EXPECT_TRUE(FView.Quit);
  EXPECT_EQ(FView.Warnings.size(), 2u);
}

}  // namespace

}  // namespace splitter
