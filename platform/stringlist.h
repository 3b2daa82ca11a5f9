// TStringList: an ordered list of single-byte texts that allows duplicates,
// each with a data word of its own (the class library's Objects, here a
// plain integer used to carry marks), with lookups that ignore letter case
// and name=value access.
//
// A line "name=value" has the name before its first "=" and the value after
// it; a line without "=" has an empty name and no value. Indexes out of range
// raise win::Exception "List index out of bounds (%d)". A sorted list keeps
// its lines in case-insensitive order (equal lines in the order they came);
// it accepts duplicates, and inserting at or changing a chosen position
// raises "Operation not allowed on sorted list".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace win {

class TStringList {
 public:
  int Count() const { return static_cast<int>(FItems.size()); }

  const std::string& operator[](int index) const { return Strings(index); }
  const std::string& Strings(int index) const;
  void PutStrings(int index, const std::string& text);
  std::intptr_t Objects(int index) const;
  void PutObjects(int index, std::intptr_t data);

  // Appends (or, when sorted, inserts in order); returns the new index.
  int Add(const std::string& text);
  int AddObject(const std::string& text, std::intptr_t data);
  // Inserts before `index` (0..Count).
  void Insert(int index, const std::string& text);
  void Delete(int index);
  void Clear() { FItems.clear(); }

  // The first line equal to `text` ignoring case, or -1.
  int IndexOf(const std::string& text) const;

  // The first line whose name equals `name` ignoring case, or -1.
  int IndexOfName(const std::string& name) const;
  std::string Names(int index) const;
  std::string ValueFromIndex(int index) const;
  // The value of the first line named `name`; empty when there is none.
  std::string Values(const std::string& name) const;
  // Sets the first line named `name` to name=value, appending one when there
  // is none; an empty value deletes that line instead.
  void SetValues(const std::string& name, const std::string& value);

  // Every line followed by CRLF.
  std::string Text() const;
  // Replaces the lines by those of `text`, split at CRLF, CR or LF; a final
  // line break does not start another line.
  void SetText(const std::string& text);

  bool Sorted() const { return FSorted; }
  // Turning sorting on sorts the lines that are there.
  void SetSorted(bool sorted);

 private:
  struct TItem {
    std::string Text;
    std::intptr_t Data = 0;
  };

  void CheckIndex(int index, int count) const;
  void CheckUnsorted() const;
  int SortedPosition(const std::string& text) const;

  std::vector<TItem> FItems;
  bool FSorted = false;
};

}  // namespace win
