// TMemo: a multi-line text whose Lines are its lines, and a Change for every
// change of the text, typed or set.
#pragma once

#include <string>

#include <QPlainTextEdit>

namespace win {

class TMemo;

// The lines of a memo. An empty memo has none, so an empty line added to
// it is not counted.
class TMemoLines {
 public:
  explicit TMemoLines(TMemo& memo) : FMemo(memo) {}

  int Count() const;
  std::string Strings(int index) const;
  std::string operator[](int index) const { return Strings(index); }
  // Appends a line as the new last one.
  void Add(const std::string& line);
  void Clear();

 private:
  TMemo& FMemo;
};

class TMemo : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit TMemo(QWidget* parent = nullptr);

  TMemoLines& Lines() { return FLines; }

 signals:
  void Change();

 private:
  TMemoLines FLines;
};

}  // namespace win
