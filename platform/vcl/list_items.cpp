#include "platform/vcl/list_items.h"

#include <QListWidget>

#include "platform/text.h"
#include "platform/vcl/qt_text.h"

namespace win {

int TListItems::Count() const { return FList.count(); }

std::string TListItems::Strings(int index) const {
  const QListWidgetItem* item = FList.item(index);
  return item == nullptr ? std::string() : FromQt(item->text());
}

int TListItems::IndexOf(const std::string& text) const {
  for (int i = 0; i < Count(); ++i) {
    if (SameText(Strings(i), text)) return i;
  }
  return -1;
}

int TListItems::Add(const std::string& text) {
  int low = 0;
  int high = Count();
  if (!FSorted) low = high;
  while (low < high) {
    const int middle = low + (high - low) / 2;
    if (CompareText(Strings(middle), text) <= 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  FList.insertItem(low, ToQt(text));
  return low;
}

void TListItems::Clear() { FList.clear(); }

}  // namespace win
