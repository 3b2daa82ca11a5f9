// Text helpers of the engine for single-byte texts: ASCII letter case, the
// class library's trimming and its integer conversion.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace splitter {

// `text` with a-z turned into A-Z; other bytes stay.
std::string AsciiUpperCase(std::string_view text);
// Equal when letter case (ASCII) is ignored.
bool CaseBlindEqual(std::string_view a, std::string_view b);

// Without blanks and control characters (bytes up to 32) at both ends.
std::string_view TrimControls(std::string_view text);
// Without blanks (32 only) at both ends.
std::string_view TrimBlanks(std::string_view text);

// A whole number as the class library reads one: optional blanks, an
// optional sign, then decimal digits, or hexadecimal after "$" or "0x".
// Nothing when the text is not such a number or does not fit 32 bits.
std::optional<int> TryStrToInt(std::string_view text);
// The same, raising win::Exception "'text' is not a valid integer value".
int StrToInt(std::string_view text);

// The class library's Copy: `count` characters from 1-based `index`, fewer
// at the end; an index below 1 counts as 1.
std::string_view CopyText(std::string_view text, long long index, long long count);

}  // namespace splitter
