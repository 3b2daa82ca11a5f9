#include "capture/text_extraction.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/text.h"

namespace capture {

namespace {

constexpr std::string_view kTextPrefixEnd = " M (";

bool Contains(std::string_view line, std::string_view part) {
  return line.find(part) != std::string_view::npos;
}

std::string_view AfterLastBlank(std::string_view text) {
  const std::size_t blank = text.rfind(' ');
  return blank == std::string_view::npos ? text : text.substr(blank + 1);
}

std::string_view PrefixOf(std::string_view line) {
  const std::size_t end = line.find(kTextPrefixEnd);
  return end == std::string_view::npos ? std::string_view() : line.substr(0, end);
}

// An optional sign and decimal digits, in the 32-bit range, and nothing else:
// the class library's rule without its blanks and hexadecimal.
std::optional<std::int32_t> ReadDecimalInteger(std::string_view text) {
  const std::string_view digits =
      text.starts_with('+') || text.starts_with('-') ? text.substr(1) : text;
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  return win::TryStrToInt(text);
}

// A matrix number the scales can divide by: decimal, finite and not so close
// to 0 that 100 divided by it overflows.
std::optional<double> ReadScaleNumber(std::string_view text) {
  text = win::Trim(text);
  if (text.starts_with('+')) text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (!std::isfinite(value) || value == 0 || !std::isfinite(100.0 / value)) return std::nullopt;
  return value;
}

}  // namespace

std::int32_t RoundHalfUp(double v) {
  const double fraction = v - std::trunc(v);
  const double rounded = fraction >= 0.5 ? std::ceil(v) : std::floor(v);
  if (!(rounded < std::numeric_limits<std::int32_t>::max())) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (rounded < std::numeric_limits<std::int32_t>::min()) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<std::int32_t>(rounded);
}

TTextExtraction::TTextExtraction(TCheckRecord& checkRecord, capturefile::TCaptureText& pageLines)
    : FCheckRecord(checkRecord), FPageLines(pageLines) {}

void TTextExtraction::ProcessLine(std::string_view line) {
  if (FEndOfJob) return;
  // Every marker but the font name begins with "%", and most lines hold none.
  const bool mayHoldMarker = line.find('%') != std::string_view::npos;
  if (mayHoldMarker && Contains(line, "%%Title:") && Contains(line, "Direct")) FDirectTitle = true;
  const bool fontSelection = line.starts_with("F0S");
  if (!fontSelection && line.size() > 1 && line.substr(1).starts_with("F0S")) ReadFontMatrix(line);
  if (fontSelection) {
    FFontSelected = true;
    FCapturing = true;
    return;
  }
  if (mayHoldMarker && Contains(line, "%%SowPage")) EndPage();
  if (FFontSelected && Contains(line, "DeviceGray dup")) {
    FCapturing = true;
    return;
  }
  if (mayHoldMarker && Contains(line, "%%EOF")) {
    FEndOfJob = true;
    FCapturing = false;
  }
  if (!FCapturing) return;
  if (FCalibrated) {
    PlaceTextCommand(line);
  } else {
    FFirstPage.emplace_back(line);
  }
}

bool TTextExtraction::ParseTextCommand(std::string_view line, std::string_view& text,
                                       std::int32_t& column, std::int32_t& row) {
  const std::size_t open = line.find('(');
  const std::size_t close = line.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
    return false;
  }
  const std::string_view prefix = PrefixOf(line);
  // The row first: a line whose row cannot be read must not move the margin.
  const std::optional<std::int32_t> rowOf = RowOf(prefix, true);
  if (!rowOf) return false;
  const std::optional<std::int32_t> columnOf = ColumnOf(prefix);
  if (!columnOf) return false;
  text = line.substr(open + 1, close - open - 1);
  column = *columnOf;
  row = *rowOf;
  return true;
}

std::optional<std::int32_t> TTextExtraction::RowOf(std::string_view prefix, bool scaled) const {
  if (prefix.empty()) return std::nullopt;
  const std::optional<std::int32_t> y = ReadDecimalInteger(AfterLastBlank(prefix));
  if (!y) return std::nullopt;
  const std::int32_t v = std::max(*y, 0);
  return scaled ? RoundHalfUp(v * FRowScale) : v;
}

std::optional<std::int32_t> TTextExtraction::ColumnOf(std::string_view prefix) {
  if (prefix.empty()) return std::nullopt;
  const std::size_t lastBlank = prefix.rfind(' ');
  const std::string_view beforeY =
      lastBlank == std::string_view::npos ? prefix : prefix.substr(0, lastBlank);
  const std::optional<std::int32_t> x = ReadDecimalInteger(AfterLastBlank(beforeY));
  if (!x) return std::nullopt;
  if (!FCalibrated) {
    FLeftMargin = std::min(FLeftMargin, *x);
    return 0;
  }
  const std::int64_t distance = std::max<std::int64_t>(std::int64_t{*x} - FLeftMargin, 0);
  return RoundHalfUp(static_cast<double>(distance) * FColumnScale);
}

// The matrix is cut at blanks, one number at a time: the width is the text up
// to the first blank, the height what stands first after three more cuts.
void TTextExtraction::ReadFontMatrix(std::string_view line) {
  const std::size_t open = line.find('[');
  const std::size_t close = line.rfind(']');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return;
  std::string_view matrix = line.substr(open + 1, close - open - 1);
  std::size_t blank = matrix.find(' ');
  if (blank == std::string_view::npos) return;
  const std::optional<double> width = ReadScaleNumber(matrix.substr(0, blank + 1));
  for (int cut = 0; cut < 3; ++cut) {
    matrix.remove_prefix(blank + 1);
    blank = matrix.find(' ');
    if (blank == std::string_view::npos) return;
  }
  const std::optional<double> height = ReadScaleNumber(matrix.substr(0, blank + 1));
  if (!width || !height) return;
  FFontWidth = *width;
  FFontHeight = *height;
}

void TTextExtraction::FindLeftMargin() {
  std::string_view text;
  std::int32_t column = 0;
  std::int32_t row = 0;
  for (const std::string& line : FFirstPage) ParseTextCommand(line, text, column, row);
  FCalibrated = true;
}

void TTextExtraction::Calibrate() {
  const double w = 100.0 / FFontWidth;
  const double h = 100.0 / FFontHeight;
  if (FFontHeight <= -90) {
    FColumnScale = w * 0.1 * 0.18137254901960784;
    FRowScale = 0.009974747474747477;
    return;
  }
  // The unscaled y of a line; -1 without a text prefix, nothing when unreadable.
  const auto unscaledY = [this](std::string_view line) -> std::optional<std::int32_t> {
    const std::string_view prefix = PrefixOf(line);
    return prefix.empty() ? std::optional<std::int32_t>(-1) : RowOf(prefix, false);
  };
  for (const std::string& line : FFirstPage) {
    const std::string lower = win::LowerCase(line);
    if (Contains(lower, "no. ")) {
      FColumnScale = w * 0.1 * 0.17973856209150327;
      FRowScale = h * (-0.1) * 0.09974747474747475;
      break;
    }
    if (Contains(lower, "dollars and") || Contains(lower, "* v o i d *")) {
      const std::optional<std::int32_t> y = unscaledY(line);
      if (!y) continue;
      FColumnScale = w * 0.1 * 0.17483660130718953;
      FRowScale = *y < 5000 ? h * (-0.1) * 0.1111111111111111 : 0.010101010101010102;
      break;
    }
  }
  if (FDirectTitle) {
    const std::optional<std::int32_t> y =
        FFirstPage.empty() ? std::optional<std::int32_t>(-1) : unscaledY(FFirstPage.back());
    if (!y) return;
    FColumnScale = w * 0.1 * 0.17483660130718953;
    FRowScale = *y > 4000 ? 0.010101010101010102 : h * (-0.1) * 0.1111111111111111;
  }
}

void TTextExtraction::EndPage() {
  if (!FCalibrated) {
    FCheckRecord.Clear();
    FindLeftMargin();
    Calibrate();
    for (const std::string& line : FFirstPage) PlaceTextCommand(line);
  }
  FCheckRecord.AppendTo(FPageLines);
  FCheckRecord.Clear();
  FCapturing = false;
  ++FCompletedPages;
  if (FDroppedOnPage > 0) {
    FDroppedStrings.push_back({FCompletedPages, FDroppedOnPage});
    FDroppedOnPage = 0;
  }
}

void TTextExtraction::PlaceTextCommand(std::string_view line) {
  std::string_view text;
  std::int32_t column = 0;
  std::int32_t row = 0;
  if (ParseTextCommand(line, text, column, row) && !FCheckRecord.PlaceText(text, column, row)) {
    ++FDroppedOnPage;
  }
}

}  // namespace capture
