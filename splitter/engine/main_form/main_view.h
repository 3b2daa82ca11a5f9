// What the processing window's engine (Tform_Main) asks of its window. The Qt
// window implements it; tests fake it. The engine holds every decision; the
// view only shows, asks and schedules.
#pragma once

#include <string>

#include "common/dialogs.h"

namespace splitter {

// The buttons of a confirmation box.
enum class TConfirmButtons { YesNo, YesCancel };

class TMainView : public common::TErrorBox {
 public:
  // The window's caption.
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;

  // Label_Convert: replaces the text, centred, and repaints the label at
  // once. A "\r" in the text starts a second line.
  virtual void SetLabelText(const std::string& text) = 0;

  // pbProgress, with the semantics of a Windows progress bar: the range is
  // 0..max, and positions outside it are clamped to it.
  virtual void SetProgressRange(int max) = 0;
  virtual void SetProgressPosition(int position) = 0;
  virtual void StepProgressBy(int delta) = 0;
  virtual void HideProgress() = 0;

  // Handles the window messages that are pending, then returns.
  virtual void ProcessMessages() = 0;
  // Waits without handling any messages (3000 ms show a final message).
  virtual void Pause(unsigned milliseconds) = 0;

  // An information box with an OK button.
  virtual void ShowInformation(const std::string& message) = 0;
  // A confirmation box; true for Yes, false for No or Cancel.
  virtual bool Confirm(const std::string& message, TConfirmButtons buttons) = 0;
  // A warning box with OK and Cancel; true for OK.
  virtual bool WarnOkCancel(const std::string& message) = 0;
  // ShowErrorBox (from TErrorBox) is the application's standard error box.

  // OpenDialog1, the dialog of the product-folder search; it has no title,
  // filter or file name of its own.
  virtual common::TOpenDialog& OpenDialog1() = 0;

  // Asks for a paint of the window; the engine's step driver runs in it.
  virtual void Invalidate() = 0;
  // Closes the window; the running handler still returns first.
  virtual void Close() = 0;
  // Sets the window's modal result to cancel and ends the program at once,
  // without any clean-up. Does not return.
  [[noreturn]] virtual void QuitProgram() = 0;

  // Timer_Execute: interval in milliseconds, and whether it runs.
  virtual void SetTimerInterval(unsigned milliseconds) = 0;
  virtual void SetTimerEnabled(bool enabled) = 0;
};

}  // namespace splitter
