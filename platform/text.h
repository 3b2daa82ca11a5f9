// The class library's text helpers for single-byte texts: letter case,
// comparison without regard to case, trimming, integer conversion and Copy.
//
// Letter case is ASCII only (a-z, A-Z), as the class library's UpperCase,
// LowerCase, SameText and CompareText fold it and as Windows folds the names
// of registry keys, INI sections and files here. Bytes above 127 compare as
// they are.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace win {

// `text` with a-z turned into A-Z; other bytes stay.
std::string UpperCase(std::string_view text);
// `text` with A-Z turned into a-z; other bytes stay.
std::string LowerCase(std::string_view text);
// The byte with a-z turned into A-Z, and with A-Z turned into a-z.
char UpperChar(char c);
char LowerChar(char c);

// Equal when letter case is ignored.
bool SameText(std::string_view a, std::string_view b);
// Below, at or above zero as `a` sorts before, with or after `b` when letter
// case is ignored; a text sorts after each of its prefixes. Folds to upper
// case, so "_" sorts after letters, as the class library's CompareText does.
int CompareText(std::string_view a, std::string_view b);
// Functors for containers keyed without regard to case.
struct TTextLess {
  bool operator()(std::string_view a, std::string_view b) const { return CompareText(a, b) < 0; }
};

// Without blanks and control characters (bytes up to 32) at both ends, at
// the start only, at the end only.
std::string_view Trim(std::string_view text);
std::string_view TrimLeft(std::string_view text);
std::string_view TrimRight(std::string_view text);
// Without blanks (32 only) at both ends; control characters stay.
std::string_view TrimBlanks(std::string_view text);

// A whole number as the class library reads one: optional blanks, an
// optional sign, then decimal digits, or hexadecimal after "$" or "0x".
// Nothing when the text is not such a number or does not fit 32 bits
// (hexadecimal may use all 32 bits).
std::optional<int> TryStrToInt(std::string_view text);
// The same, raising win::Exception "'text' is not a valid integer value".
int StrToInt(std::string_view text);
// The same rule for an unsigned 32-bit number (StrToUInt): no minus sign,
// and decimal numbers may use all 32 bits too.
std::optional<std::uint32_t> TryStrToUInt(std::string_view text);

// The class library's Copy: `count` characters from 1-based `index`, fewer
// at the end; an index below 1 counts as 1.
std::string_view Copy(std::string_view text, long long index, long long count);

}  // namespace win
