#include "platform/vcl/edit.h"

#include <QKeyEvent>

#include "platform/vcl/key_press.h"
#include "platform/vcl/qt_text.h"

namespace win {

TEdit::TEdit(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textChanged, this, &TEdit::Change);
}

std::string TEdit::Text() const { return FromQt(text()); }

void TEdit::SetText(const std::string& text) { setText(ToQt(text)); }

void TEdit::keyPressEvent(QKeyEvent* event) {
  char key = KeyPressCharOf(*event);
  if (key != 0) {
    emit KeyPress(key);
    if (key == 0) return;
  }
  QLineEdit::keyPressEvent(event);
}

void TEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  emit Exit();
}

}  // namespace win
