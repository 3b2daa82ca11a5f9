#include "splitter/ui/main_window.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>

#include "platform/vcl/application.h"
#include "platform/vcl/qt_text.h"

namespace splitter {

namespace {

constexpr int kClientWidth = 394;
constexpr int kClientHeight = 158;
constexpr unsigned kFormColor = 0xE1E5EA;
constexpr int kLabelFontPixels = 21;
constexpr unsigned kTimerDesignInterval = 100;

// A "\r" in the label's text starts a second line.
QString LabelText(const std::string& text) {
  QString shown = win::ToQt(text);
  shown.replace("\r\n", "\n");
  shown.replace('\r', '\n');
  return shown;
}

win::TConfirmButtons BoxButtons(TConfirmButtons buttons) {
  return buttons == TConfirmButtons::YesNo ? win::TConfirmButtons::YesNo
                                           : win::TConfirmButtons::YesCancel;
}

}  // namespace

TMainWindow::TMainWindow(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      Label_Convert(new QLabel("Processing...", this)),
      pbProgress(new QProgressBar(this)),
      Timer_Execute(new QTimer(this)),
      FOpenDialog(win::NewOpenDialog()),
      FForm(*this) {
  setObjectName("Form_Main");
  setWindowTitle(Tform_Main::kCaption);
  setModal(true);
  setFixedSize(kClientWidth, kClientHeight);
  win::SetBackgroundColor(*this, kFormColor);

  Label_Convert->setObjectName("Label_Convert");
  Label_Convert->setFont(win::VerdanaFont(kLabelFontPixels));
  Label_Convert->setAlignment(Qt::AlignCenter);
  Label_Convert->setGeometry(0, 16, kClientWidth, 72);

  pbProgress->setObjectName("pbProgress");
  pbProgress->setTextVisible(false);
  pbProgress->setGeometry(16, 104, kClientWidth - 32, 18);
  ShowProgress();

  Timer_Execute->setObjectName("Timer_Execute");
  Timer_Execute->setInterval(static_cast<int>(kTimerDesignInterval));
  connect(Timer_Execute, &QTimer::timeout, this,
          [this] { RunEngineHandler(&Tform_Main::Timer_ExecuteTimer); });

  qApp->installEventFilter(this);
  connect(qApp, &QCoreApplication::aboutToQuit, this,
          [this] { FForm.ApplicationTerminated = true; });

  FForm.formCreate();
}

TMainWindow::~TMainWindow() { qApp->removeEventFilter(this); }

void TMainWindow::ShowModal() { exec(); }

std::string TMainWindow::Caption() const { return win::FromQt(windowTitle()); }

void TMainWindow::SetCaption(const std::string& caption) { setWindowTitle(win::ToQt(caption)); }

void TMainWindow::SetLabelText(const std::string& text) {
  Label_Convert->setText(LabelText(text));
  Label_Convert->repaint();
}

void TMainWindow::SetProgressRange(int max) {
  FProgressMax = std::max(max, 0);
  FProgressPosition = std::clamp(FProgressPosition, 0, FProgressMax);
  ShowProgress();
}

void TMainWindow::SetProgressPosition(int position) {
  FProgressPosition = std::clamp(position, 0, FProgressMax);
  ShowProgress();
}

void TMainWindow::StepProgressBy(int delta) {
  const long long moved = static_cast<long long>(FProgressPosition) + delta;
  FProgressPosition = static_cast<int>(std::clamp<long long>(moved, 0, FProgressMax));
  ShowProgress();
}

void TMainWindow::HideProgress() { pbProgress->hide(); }

// A Windows bar of range 0..0 is empty; Qt's would be a busy indicator.
void TMainWindow::ShowProgress() {
  pbProgress->setRange(0, std::max(FProgressMax, 1));
  pbProgress->setValue(FProgressPosition);
}

void TMainWindow::ProcessMessages() { QCoreApplication::processEvents(); }

void TMainWindow::Pause(unsigned milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void TMainWindow::ShowInformation(const std::string& message) {
  win::Dialogs().ShowInformation(message);
}

bool TMainWindow::Confirm(const std::string& message, TConfirmButtons buttons) {
  return win::Dialogs().Confirm(message, BoxButtons(buttons));
}

bool TMainWindow::WarnOkCancel(const std::string& message) {
  return win::Dialogs().WarnOkCancel(message);
}

void TMainWindow::ShowErrorBox(const std::string& message) { win::Dialogs().ShowError(message); }

common::TOpenDialog& TMainWindow::OpenDialog1() { return *FOpenDialog; }

void TMainWindow::Invalidate() {
  update();
  SchedulePaint();
}

void TMainWindow::Close() {
  FClosing = true;
  done(QDialog::Rejected);
}

void TMainWindow::QuitProgram() {
  done(QDialog::Rejected);
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  std::_Exit(0);
}

void TMainWindow::SetTimerInterval(unsigned milliseconds) {
  Timer_Execute->setInterval(static_cast<int>(milliseconds));
}

void TMainWindow::SetTimerEnabled(bool enabled) {
  if (enabled) {
    Timer_Execute->start();
  } else {
    Timer_Execute->stop();
  }
}

void TMainWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (const QScreen* shown = screen()) {
    move(shown->availableGeometry().center() - rect().center());
  }
  if (FShown) return;
  // The engine's show handler runs before its first paint, from the event
  // loop rather than inside Qt's show.
  QMetaObject::invokeMethod(
      this,
      [this] {
        FShown = true;
        RunEngineHandler(&Tform_Main::formShow);
      },
      Qt::QueuedConnection);
}

void TMainWindow::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  SchedulePaint();
}

// The user closed the window: the running handler still returns, and no
// step that has not started runs.
void TMainWindow::closeEvent(QCloseEvent* event) {
  if (!FClosing) {
    FClosing = true;
    FForm.CloseRequested = true;
  }
  QDialog::closeEvent(event);
}

// The window has no buttons, and Escape does not close it.
void TMainWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) return;
  QDialog::keyPressEvent(event);
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Quit) FForm.ApplicationTerminated = true;
  return QDialog::eventFilter(watched, event);
}

// Steps run from the event loop, never inside Qt's painting, because they
// process messages (and so paint) while they work.
void TMainWindow::SchedulePaint() {
  if (FPaintScheduled) return;
  FPaintScheduled = true;
  QMetaObject::invokeMethod(this, &TMainWindow::RunPaint, Qt::QueuedConnection);
}

void TMainWindow::RunPaint() {
  FPaintScheduled = false;
  if (!FShown || FClosing) return;
  RunEngineHandler(&Tform_Main::formPaint);
}

void TMainWindow::RunEngineHandler(void (Tform_Main::*handler)()) {
  try {
    (FForm.*handler)();
  } catch (const EAbort&) {
  } catch (const std::exception& error) {
    ShowErrorBox(error.what());
  }
}

}  // namespace splitter
