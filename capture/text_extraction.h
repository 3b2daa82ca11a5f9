// The PostScript text extraction of the capture run: turns a print job, one
// input line at a time, into positioned text on the page grid.
//
// It does not interpret PostScript. A few fixed substrings mark the job
// title, the first font's definition and selection, the start and end of page
// content and the end of the job; text-drawing lines ("x y M (text) s") are
// taken apart into a string and two device coordinates. The mapping from
// device units to columns and rows is calibrated once, when the first page
// ends: until then its lines are only buffered, afterwards each string is
// placed as it arrives. Every completed page's rows are appended to the
// caller's output list.
//
// This object is the parser state of one job; the run object (TProcess) owns
// it for the whole job, together with the grid and the output list that it
// lends to it.
//
// Input that cannot be read never stops the extraction: a coordinate or
// matrix number that is not a decimal number, a font line without a bracketed
// matrix of four usable numbers, or a prefix ending in a blank makes that line
// count as absent, so calibration keeps its previous values. A string whose
// row falls outside the grid (a negative row scale, or a page taller than the
// grid) is dropped and counted per page in DroppedStrings().
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/check_record.h"
#include "capturefile/capture_text.h"

namespace capture {

// v rounded half up: the fraction v minus v truncated toward zero decides, so
// 2.5 gives 3 and -2.5 gives -3. Results beyond the 32-bit range saturate.
std::int32_t RoundHalfUp(double v);

// Strings that a completed page lost because their row was outside the grid.
struct TDroppedStrings {
  std::int32_t FPage;   // 1-based number of the completed page
  std::int32_t FCount;  // strings dropped on it

  bool operator==(const TDroppedStrings&) const = default;
};

class TTextExtraction {
 public:
  TTextExtraction(TCheckRecord& checkRecord, capturefile::TCaptureText& pageLines);

  // Takes one input line, without its line end. Lines after the end-of-job
  // line are ignored.
  void ProcessLine(std::string_view line);

  // A text-drawing line's string (between the first "(" and the last ")"),
  // column and row. False when the line has no such parts or a coordinate
  // cannot be read. Before calibration it lowers the left margin instead of
  // giving a real column.
  bool ParseTextCommand(std::string_view line, std::string_view& text, std::int32_t& column,
                        std::int32_t& row);

  // The column and row of a prefix (what stands before " M ("); nothing when
  // the prefix is empty or its number cannot be read.
  std::optional<std::int32_t> ColumnOf(std::string_view prefix);
  std::optional<std::int32_t> RowOf(std::string_view prefix, bool scaled) const;

  bool EndOfJob() const { return FEndOfJob; }
  bool Calibrated() const { return FCalibrated; }
  std::int32_t LeftMargin() const { return FLeftMargin; }
  double ColumnScale() const { return FColumnScale; }
  double RowScale() const { return FRowScale; }
  const std::vector<TDroppedStrings>& DroppedStrings() const { return FDroppedStrings; }

 private:
  void ReadFontMatrix(std::string_view line);
  void FindLeftMargin();
  void Calibrate();
  void EndPage();
  void PlaceTextCommand(std::string_view line);

  bool FFontSelected = false;
  bool FCapturing = false;
  bool FCalibrated = false;
  bool FDirectTitle = false;
  bool FEndOfJob = false;
  std::int32_t FLeftMargin = 999999;
  double FFontWidth = 100.0;
  double FFontHeight = 100.0;
  double FColumnScale = 0.1;
  double FRowScale = 0.1;
  std::vector<std::string> FFirstPage;
  TCheckRecord& FCheckRecord;
  capturefile::TCaptureText& FPageLines;

  std::int32_t FCompletedPages = 0;
  std::int32_t FDroppedOnPage = 0;
  std::vector<TDroppedStrings> FDroppedStrings;
};

}  // namespace capture
