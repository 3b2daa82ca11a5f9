// A stand-in for the processing window: it records every label text and
// every progress call, answers the dialogs from scripts, and never waits.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "splitter/engine/main_form/main.h"
#include "splitter/engine/main_form/main_view.h"
#include "tests/support/fake_dialogs.h"

namespace splitter {

class TFakeMainView : public TMainView {
 public:
  // Thrown by QuitProgram, which must not return.
  struct TQuit {};

  std::string Caption() const override { return CaptionText; }
  void SetCaption(const std::string& caption) override { CaptionText = caption; }

  void SetLabelText(const std::string& text) override { Labels.push_back(text); }

  // A Windows progress bar: positions are clamped to the range.
  void SetProgressRange(int max) override {
    ProgressMax = max;
    ProgressPosition = std::clamp(ProgressPosition, 0, std::max(max, 0));
    ProgressCalls.push_back("range " + std::to_string(max));
  }
  void SetProgressPosition(int position) override {
    ProgressPosition = std::clamp(position, 0, std::max(ProgressMax, 0));
    ProgressCalls.push_back("position " + std::to_string(position));
  }
  void StepProgressBy(int delta) override {
    ProgressPosition = std::clamp(ProgressPosition + delta, 0, std::max(ProgressMax, 0));
    ProgressCalls.push_back("step " + std::to_string(delta));
  }
  void HideProgress() override {
    ProgressVisible = false;
    ProgressCalls.push_back("hide");
  }

  void ProcessMessages() override {
    ++MessageTurns;
    if (OnProcessMessages) OnProcessMessages();
  }
  void Pause(unsigned milliseconds) override { Pauses.push_back(milliseconds); }

  void ShowInformation(const std::string& message) override { Informations.push_back(message); }
  bool Confirm(const std::string& message, TConfirmButtons buttons) override {
    Confirmations.push_back(message);
    ConfirmButtonsSeen.push_back(buttons);
    return Answer(ConfirmAnswers, message);
  }
  bool WarnOkCancel(const std::string& message) override {
    Warnings.push_back(message);
    return Answer(WarnAnswers, message);
  }
  void ShowErrorBox(const std::string& message) override { Errors.push_back(message); }

  common::TOpenDialog& OpenDialog1() override { return Dialog; }

  void Invalidate() override { ++Invalidations; }
  void Close() override { Closed = true; }
  [[noreturn]] void QuitProgram() override {
    Quit = true;
    throw TQuit{};
  }

  void SetTimerInterval(unsigned milliseconds) override { TimerInterval = milliseconds; }
  void SetTimerEnabled(bool enabled) override { TimerEnabled = enabled; }

  std::string CaptionText = Tform_Main::kCaption;
  std::vector<std::string> Labels;
  int ProgressMax = 100;
  int ProgressPosition = 0;
  bool ProgressVisible = true;
  std::vector<std::string> ProgressCalls;
  int MessageTurns = 0;
  std::function<void()> OnProcessMessages;
  std::vector<unsigned> Pauses;
  std::vector<std::string> Informations;
  std::vector<std::string> Confirmations;
  std::vector<TConfirmButtons> ConfirmButtonsSeen;
  std::vector<std::string> Warnings;
  std::vector<std::string> Errors;
  // Answers in order: true is Yes (or OK), false is No or Cancel.
  std::deque<bool> ConfirmAnswers;
  std::deque<bool> WarnAnswers;
  testing_support::TFakeOpenDialog Dialog;
  int Invalidations = 0;
  bool Closed = false;
  bool Quit = false;
  unsigned TimerInterval = 100;
  bool TimerEnabled = false;

 private:
  static bool Answer(std::deque<bool>& answers, const std::string& message) {
    if (answers.empty()) {
      ADD_FAILURE() << "unscripted question: " << message;
      return false;
    }
    bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace splitter
