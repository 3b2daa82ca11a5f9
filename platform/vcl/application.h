// What a window program sets up once, and the class library's handling of an
// error that escapes an event handler.
//
// The windows ask for "Verdana" as designed; hosts without it (Debian cannot
// install it) get DejaVu Sans, a wide humanist sans of the same look, so
// that pixel sizes hold and every machine draws the windows alike.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QColor>
#include <QFont>

class QWidget;

namespace win {

class TOpenDialog;

// Before the QApplication exists: without a display (neither DISPLAY nor
// WAYLAND_DISPLAY set) and without a platform chosen by QT_QPA_PLATFORM, Qt
// runs on its offscreen platform, so that a program started from a script
// still runs.
void PrepareQtPlatform();

// Maps the designed families to the installed ones (Verdana to DejaVu
// Sans); call once after the QApplication exists and before the first
// window is made. InitializeApplication does it.
void SubstituteDesignFonts();

// After the QApplication exists: maps the designed fonts, sets the
// application's title (the caption of its message boxes) and installs the
// message boxes that ZERURUD_DIALOGS asks for (dialogs.h). The boxes live as
// long as the process.
void InitializeApplication(const std::string& title);

// The file-open dialog that goes with the installed boxes: the Qt one with Qt
// boxes, otherwise the unattended one that ends the program (dialogs.h).
std::unique_ptr<TOpenDialog> NewOpenDialog();

// Verdana at `pixelSize` pixels, the windows' font.
QFont VerdanaFont(int pixelSize, bool bold = false);

// An RGB colour written as the windows' designs give it (0xE1E5EA).
inline QColor RgbColor(unsigned rgb) {
  return QColor::fromRgb(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// Fills `widget` (a form, panel, memo, button face) with the colour.
void SetBackgroundColor(QWidget& widget, unsigned rgb);

// Runs an event handler as the class library does: an error it raises ends
// the handler and is shown in the application's standard error box instead
// of passing into Qt's event loop.
void RunHandler(const std::function<void()>& handler);

}  // namespace win
