#include "platform/vcl/application.h"

#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>

#include <QCoreApplication>
#include <QPalette>
#include <QWidget>

#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/vcl/open_dialog.h"
#include "platform/vcl/qt_dialogs.h"
#include "platform/vcl/qt_text.h"

namespace win {

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

void PrepareQtPlatform() {
  if (IsSet("QT_QPA_PLATFORM") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")) return;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

void SubstituteDesignFonts() { QFont::insertSubstitution("Verdana", "DejaVu Sans"); }

void InitializeApplication(const std::string& title) {
  SubstituteDesignFonts();
  QCoreApplication::setApplicationName(ToQt(title));
  SetApplicationTitle(title);
  static std::unique_ptr<TDialogs> dialogs;
  if (DialogsKindFromEnvironment() == TDialogsKind::Qt) {
    dialogs = std::make_unique<TQtDialogs>();
  } else {
    dialogs = std::make_unique<TConsoleDialogs>(std::cerr);
  }
  SetDialogs(dialogs.get());
}

std::unique_ptr<TOpenDialog> NewOpenDialog() {
  if (dynamic_cast<TQtDialogs*>(&Dialogs()) != nullptr) return std::make_unique<TQtOpenDialog>();
  return std::make_unique<TConsoleOpenDialog>(std::cerr);
}

QFont VerdanaFont(int pixelSize, bool bold) {
  QFont font("Verdana");
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

void SetBackgroundColor(QWidget& widget, unsigned rgb) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Window, RgbColor(rgb));
  palette.setColor(QPalette::Base, RgbColor(rgb));
  palette.setColor(QPalette::Button, RgbColor(rgb));
  widget.setPalette(palette);
  widget.setAutoFillBackground(true);
}

void RunHandler(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    Dialogs().ShowError(error.what());
  }
}

}  // namespace win
