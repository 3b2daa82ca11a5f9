// The character of a key press as the class library's OnKeyPress gives it:
// Enter is '\r', Escape 27, Backspace 8, Tab 9, a printable key its
// character; keys without a character (arrows, F1) give 0 and raise no
// KeyPress.
#pragma once

class QKeyEvent;

namespace win {

char KeyPressCharOf(const QKeyEvent& event);

}  // namespace win
