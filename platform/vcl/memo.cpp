#include "platform/vcl/memo.h"

#include <QTextBlock>
#include <QTextDocument>

#include "platform/vcl/qt_text.h"

namespace win {

int TMemoLines::Count() const {
  const QTextDocument& document = *FMemo.document();
  return document.isEmpty() ? 0 : document.blockCount();
}

std::string TMemoLines::Strings(int index) const {
  if (index < 0 || index >= Count()) return {};
  return FromQt(FMemo.document()->findBlockByNumber(index).text());
}

void TMemoLines::Add(const std::string& line) {
  if (Count() == 0) {
    FMemo.setPlainText(ToQt(line));
  } else {
    FMemo.appendPlainText(ToQt(line));
  }
}

void TMemoLines::Clear() { FMemo.clear(); }

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent), FLines(*this) {
  connect(this, &QPlainTextEdit::textChanged, this, &TMemo::Change);
}

}  // namespace win
