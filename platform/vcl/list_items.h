// The Items of a list box: its lines as texts, kept sorted when the box is
// sorted (by CompareText, a new line after the ones equal to it).
#pragma once

#include <string>

class QListWidget;

namespace win {

class TListItems {
 public:
  TListItems(QListWidget& list, bool sorted) : FList(list), FSorted(sorted) {}

  int Count() const;
  std::string Strings(int index) const;
  std::string operator[](int index) const { return Strings(index); }
  // The index of the line equal to `text` ignoring letter case, or -1.
  int IndexOf(const std::string& text) const;
  // Adds a line (in its sorted place) and returns its index.
  int Add(const std::string& text);
  void Clear();

 private:
  QListWidget& FList;
  bool FSorted;
};

}  // namespace win
