// TEdit: the one-line edit, with the events the windows handle.
#pragma once

#include <string>

#include <QLineEdit>

namespace win {

class TEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TEdit(QWidget* parent = nullptr);

  std::string Text() const;
  void SetText(const std::string& text);

 signals:
  // Every change of the text, typed or set.
  void Change();
  // The focus left the edit.
  void Exit();
  // A character key (key_press.h), before the edit sees it; a handler that
  // sets `key` to 0 discards it. Connect directly: the handler writes the key.
  void KeyPress(char& key);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace win
