// Form_Main's window: the Qt view of the processing engine (Tform_Main). It
// shows the label and the progress bar, asks through the application's
// message boxes, and drives the engine: every paint of the window, and every
// Invalidate, schedules one run of the engine's paint handler on the UI
// thread, where the steps of the run happen.
//
// The window is a fixed dialog of 394 by 158 pixels, centred on the screen,
// that the user can only close; closing it sets the engine's CloseRequested
// and no later step runs, and the end of the application sets
// ApplicationTerminated.
#pragma once

#include <memory>
#include <string>

#include <QDialog>

#include "platform/dialogs.h"
#include "splitter/engine/main_form/main.h"
#include "splitter/engine/main_form/main_view.h"

class QLabel;
class QProgressBar;
class QTimer;

namespace splitter {

class TMainWindow : public QDialog, public TMainView {
  Q_OBJECT

 public:
  // Creates the window and runs the engine's formCreate.
  explicit TMainWindow(QWidget* owner = nullptr);
  ~TMainWindow() override;

  // The engine, for the fields that the file selection window fills before
  // the run and reads afterwards.
  Tform_Main& Form() { return FForm; }

  // Shows the window modally and returns once it has closed.
  void ShowModal();

  // TMainView.
  std::string Caption() const override;
  void SetCaption(const std::string& caption) override;
  void SetLabelText(const std::string& text) override;
  void SetProgressRange(int max) override;
  void SetProgressPosition(int position) override;
  void StepProgressBy(int delta) override;
  void HideProgress() override;
  void ProcessMessages() override;
  void Pause(unsigned milliseconds) override;
  void ShowInformation(const std::string& message) override;
  bool Confirm(const std::string& message, TConfirmButtons buttons) override;
  bool WarnOkCancel(const std::string& message) override;
  void ShowErrorBox(const std::string& message) override;
  common::TOpenDialog& OpenDialog1() override;
  void Invalidate() override;
  void Close() override;
  [[noreturn]] void QuitProgram() override;
  void SetTimerInterval(unsigned milliseconds) override;
  void SetTimerEnabled(bool enabled) override;

  QLabel* const Label_Convert;
  QProgressBar* const pbProgress;
  QTimer* const Timer_Execute;

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SchedulePaint();
  void RunPaint();
  // Runs an engine handler; an error it raises goes to the standard error
  // box, a silent abort nowhere.
  void RunEngineHandler(void (Tform_Main::*handler)());
  void ShowProgress();

  int FProgressMax = 100;
  int FProgressPosition = 0;
  bool FPaintScheduled = false;
  bool FShown = false;
  bool FClosing = false;
  std::unique_ptr<win::TOpenDialog> FOpenDialog;
  Tform_Main FForm;
};

}  // namespace splitter
