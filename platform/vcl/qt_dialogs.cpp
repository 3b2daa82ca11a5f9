#include "platform/vcl/qt_dialogs.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/vcl/qt_text.h"

namespace win {

namespace {

// A "\r" in a message starts a new line, as in a Windows box.
QString BoxText(const std::string& message) {
  QString text = ToQt(message);
  text.replace("\r\n", "\n");
  text.replace('\r', '\n');
  return text;
}

// Shows a box with the first button as the default and `second` (or the
// first, in a box of one button) as what Escape and the close box answer.
QMessageBox::StandardButton Ask(QMessageBox::Icon icon, const std::string& message,
                                QMessageBox::StandardButton first,
                                QMessageBox::StandardButton second = QMessageBox::NoButton) {
  const QMessageBox::StandardButtons buttons =
      second == QMessageBox::NoButton ? QMessageBox::StandardButtons(first) : first | second;
  QMessageBox box(icon, ToQt(ApplicationTitle()), BoxText(message), buttons,
                  QApplication::activeWindow());
  box.setDefaultButton(first);
  box.setEscapeButton(second == QMessageBox::NoButton ? first : second);
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  return clicked == nullptr ? QMessageBox::NoButton : box.standardButton(clicked);
}

}  // namespace

void TQtDialogs::ShowInformation(const std::string& message) {
  Ask(QMessageBox::Information, message, QMessageBox::Ok);
}

bool TQtDialogs::Confirm(const std::string& message, TConfirmButtons buttons) {
  const QMessageBox::StandardButton second =
      buttons == TConfirmButtons::YesNo ? QMessageBox::No : QMessageBox::Cancel;
  return Ask(QMessageBox::Question, message, QMessageBox::Yes, second) == QMessageBox::Yes;
}

bool TQtDialogs::WarnOkCancel(const std::string& message) {
  return Ask(QMessageBox::Warning, message, QMessageBox::Ok, QMessageBox::Cancel) ==
         QMessageBox::Ok;
}

void TQtDialogs::ShowError(const std::string& message) {
  Ask(QMessageBox::Critical, message, QMessageBox::Ok);
}

}  // namespace win
