#include "platform/stringlist.h"

#include <algorithm>

#include "platform/error.h"
#include "platform/text.h"

namespace win {

namespace {

std::size_t NameEnd(const std::string& line) { return line.find('='); }

}  // namespace

void TStringList::CheckIndex(int index, int count) const {
  if (index < 0 || index >= count) {
    throw Exception("List index out of bounds (" + std::to_string(index) + ")");
  }
}

void TStringList::CheckUnsorted() const {
  if (FSorted) throw Exception("Operation not allowed on sorted list");
}

// After every line that sorts before or equal to `text`.
int TStringList::SortedPosition(const std::string& text) const {
  const auto position = std::upper_bound(
      FItems.begin(), FItems.end(), text,
      [](const std::string& t, const TItem& item) { return CompareText(t, item.Text) < 0; });
  return static_cast<int>(position - FItems.begin());
}

const std::string& TStringList::Strings(int index) const {
  CheckIndex(index, Count());
  return FItems[static_cast<std::size_t>(index)].Text;
}

void TStringList::PutStrings(int index, const std::string& text) {
  CheckIndex(index, Count());
  CheckUnsorted();
  FItems[static_cast<std::size_t>(index)].Text = text;
}

std::intptr_t TStringList::Objects(int index) const {
  CheckIndex(index, Count());
  return FItems[static_cast<std::size_t>(index)].Data;
}

void TStringList::PutObjects(int index, std::intptr_t data) {
  CheckIndex(index, Count());
  FItems[static_cast<std::size_t>(index)].Data = data;
}

int TStringList::Add(const std::string& text) { return AddObject(text, 0); }

int TStringList::AddObject(const std::string& text, std::intptr_t data) {
  const int index = FSorted ? SortedPosition(text) : Count();
  FItems.insert(FItems.begin() + index, TItem{text, data});
  return index;
}

void TStringList::Insert(int index, const std::string& text) {
  CheckIndex(index, Count() + 1);
  CheckUnsorted();
  FItems.insert(FItems.begin() + index, TItem{text, 0});
}

void TStringList::Delete(int index) {
  CheckIndex(index, Count());
  FItems.erase(FItems.begin() + index);
}

int TStringList::IndexOf(const std::string& text) const {
  for (int i = 0; i < Count(); ++i) {
    if (CompareText(FItems[static_cast<std::size_t>(i)].Text, text) == 0) return i;
  }
  return -1;
}

int TStringList::IndexOfName(const std::string& name) const {
  for (int i = 0; i < Count(); ++i) {
    const std::string& line = FItems[static_cast<std::size_t>(i)].Text;
    const std::size_t end = NameEnd(line);
    if (end != std::string::npos && CompareText(line.substr(0, end), name) == 0) return i;
  }
  return -1;
}

std::string TStringList::Names(int index) const {
  const std::string& line = Strings(index);
  const std::size_t end = NameEnd(line);
  return end == std::string::npos ? std::string() : line.substr(0, end);
}

std::string TStringList::ValueFromIndex(int index) const {
  const std::string& line = Strings(index);
  const std::size_t end = NameEnd(line);
  return end == std::string::npos ? std::string() : line.substr(end + 1);
}

std::string TStringList::Values(const std::string& name) const {
  const int index = IndexOfName(name);
  return index < 0 ? std::string() : ValueFromIndex(index);
}

void TStringList::SetValues(const std::string& name, const std::string& value) {
  const int index = IndexOfName(name);
  if (value.empty()) {
    if (index >= 0) Delete(index);
    return;
  }
  const std::string line = name + "=" + value;
  if (index < 0) {
    Add(line);
  } else if (FSorted) {
    const std::intptr_t data = Objects(index);
    Delete(index);
    AddObject(line, data);
  } else {
    PutStrings(index, line);
  }
}

std::string TStringList::Text() const {
  std::string text;
  for (const TItem& item : FItems) {
    text += item.Text;
    text += "\r\n";
  }
  return text;
}

void TStringList::SetText(const std::string& text) {
  FItems.clear();
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      Add(text.substr(start));
      break;
    }
    Add(text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
}

void TStringList::SetSorted(bool sorted) {
  if (sorted && !FSorted) {
    std::stable_sort(FItems.begin(), FItems.end(), [](const TItem& a, const TItem& b) {
      return CompareText(a.Text, b.Text) < 0;
    });
  }
  FSorted = sorted;
}

}  // namespace win
