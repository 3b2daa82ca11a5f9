#include "capture/check_record.h"

#include <algorithm>

#include "platform/text.h"

namespace capture {

namespace {

// Inserts `text` so that its first character becomes character `position`
// (1-based) of `row`; below 1 counts as 1, past the end appends.
void InsertAt(std::string& row, std::string_view text, std::int64_t position) {
  const std::int64_t index = std::clamp<std::int64_t>(position - 1, 0, row.size());
  row.insert(static_cast<std::size_t>(index), text);
}

// Deletes up to `count` characters from character `position` (1-based); a
// position outside the row deletes nothing.
void DeleteAt(std::string& row, std::int64_t position, std::size_t count) {
  if (position < 1 || position > static_cast<std::int64_t>(row.size())) return;
  row.erase(static_cast<std::size_t>(position - 1), count);
}

}  // namespace

TCheckRecord::TCheckRecord(std::int32_t rowCount)
    : FBlankRow(kRowWidth, ' '),
      FRows(static_cast<std::size_t>(std::max(rowCount, 0)), FBlankRow) {}

void TCheckRecord::Clear() {
  for (std::string& row : FRows) row.assign(FBlankRow);
}

// The deletion starts one character after the inserted text, not right after
// it: the character that stood at the insertion point survives, shifted to
// just behind the text. Placing at column 0 and 1 therefore differs, and rows
// that already hold text keep it around a string placed at the left margin.
bool TCheckRecord::PlaceText(std::string_view text, std::int32_t column, std::int32_t row) {
  if (row < 0 || row >= RowCount()) return false;
  if (text.find('\\') != std::string_view::npos) {
    FUnescaped.clear();
    for (char c : text)
      if (c != '\\') FUnescaped += c;
    text = FUnescaped;
  }
  std::string& r = FRows[static_cast<std::size_t>(row)];
  if (column == 0 && r != FBlankRow) {
    const std::size_t firstNonBlank = text.find_first_not_of(' ');
    if (firstNonBlank == std::string_view::npos) return true;
    const std::string_view trimmed = win::Trim(text);
    const std::int64_t position = static_cast<std::int64_t>(firstNonBlank) + 1;
    InsertAt(r, trimmed, position);
    DeleteAt(r, position + static_cast<std::int64_t>(trimmed.size()) + 1, trimmed.size());
  } else {
    InsertAt(r, text, column);
    DeleteAt(r, static_cast<std::int64_t>(column) + static_cast<std::int64_t>(text.size()) + 1,
             text.size());
  }
  return true;
}

void TCheckRecord::AppendTo(capturefile::TCaptureText& list) const {
  for (const std::string& row : FRows) list.AppendLine(row);
}

}  // namespace capture
