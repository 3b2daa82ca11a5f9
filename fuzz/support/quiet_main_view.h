// A processing window for the engine's fuzz targets: it keeps the label
// texts and informations that the targets check, answers every question
// with one fixed answer, and never waits or shows anything.
#pragma once

#include <string>
#include <vector>

#include "splitter/engine/main_form/main_view.h"

namespace fuzz {

class TQuietOpenDialog : public common::TOpenDialog {
 public:
  bool Execute() override { return false; }
};

class TQuietMainView : public splitter::TMainView {
 public:
  // Thrown by QuitProgram, which must not return.
  struct TQuit {};

  std::string Caption() const override { return FCaption; }
  void SetCaption(const std::string& caption) override { FCaption = caption; }
  void SetLabelText(const std::string& text) override { Labels.push_back(text); }
  void SetProgressRange(int) override {}
  void SetProgressPosition(int) override {}
  void StepProgressBy(int) override {}
  void HideProgress() override {}
  void ProcessMessages() override {}
  void Pause(unsigned) override {}
  void ShowInformation(const std::string& message) override { Informations.push_back(message); }
  bool Confirm(const std::string&, splitter::TConfirmButtons) override { return Answer; }
  bool WarnOkCancel(const std::string&) override { return Answer; }
  void ShowErrorBox(const std::string& message) override { Errors.push_back(message); }
  common::TOpenDialog& OpenDialog1() override { return FDialog; }
  void Invalidate() override {}
  void Close() override {}
  [[noreturn]] void QuitProgram() override { throw TQuit{}; }
  void SetTimerInterval(unsigned) override {}
  void SetTimerEnabled(bool) override {}

  bool Answer = true;
  std::vector<std::string> Labels;
  std::vector<std::string> Informations;
  std::vector<std::string> Errors;

 private:
  std::string FCaption;
  TQuietOpenDialog FDialog;
};

}  // namespace fuzz
