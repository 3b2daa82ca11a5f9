// The page grid: the text image of one page as a fixed number of rows of
// blank-padded text, into which extracted strings are written at a column and
// a row. When a page ends, its rows go to the run's output list and the grid
// is blanked for the next page.
//
// A row is 110 characters after Clear and never shorter; text placed past the
// right edge makes it longer. The grid never writes outside its rows: a row
// number it does not have is refused.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "capturefile/capture_text.h"

namespace capture {

class TCheckRecord {
 public:
  static constexpr std::size_t kRowWidth = 110;

  // A grid of `rowCount` blank rows; a count below 1 gives a grid without rows.
  explicit TCheckRecord(std::int32_t rowCount);

  void Clear();

  // Writes `text` into row `row` with the grid's insertion-and-deletion rule.
  // Returns false, changing nothing, when the grid has no such row.
  bool PlaceText(std::string_view text, std::int32_t column, std::int32_t row);

  // Appends every row, row 0 first, to `list`.
  void AppendTo(capturefile::TCaptureText& list) const;

  std::int32_t RowCount() const { return static_cast<std::int32_t>(FRows.size()); }

 private:
  std::string FBlankRow;
  std::vector<std::string> FRows;
  std::string FUnescaped;  // reused for the text without backslashes
};

}  // namespace capture
