#include "platform/vcl/key_press.h"

#include <QKeyEvent>

namespace win {

char KeyPressCharOf(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return '\r';
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Tab:
      return 9;
    default:
      break;
  }
  const QString text = event.text();
  if (text.size() != 1 || text[0].unicode() > 0xFF || !text[0].isPrint()) return 0;
  return static_cast<char>(text[0].unicode());
}

}  // namespace win
