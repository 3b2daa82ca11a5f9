#include "platform/text.h"

#include <cstdint>

#include "platform/error.h"

namespace win {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

struct TNumber {
  bool Negative = false;
  bool Hex = false;
  std::uint64_t Magnitude = 0;  // stops growing past 32 bits
};

// Optional blanks, an optional sign, then decimal digits, or hexadecimal
// after "$" or "0x"; nothing when anything else follows or no digit does.
std::optional<TNumber> ReadNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  TNumber number;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) number.Negative = text[i++] == '-';
  if (i < text.size() && text[i] == '$') {
    number.Hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    number.Hex = true;
    i += 2;
  }
  if (i == text.size()) return std::nullopt;
  const int base = number.Hex ? 16 : 10;
  for (; i < text.size(); ++i) {
    const int digit =
        number.Hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (digit < 0) return std::nullopt;
    if (number.Magnitude <= 0xFFFFFFFFu) {
      number.Magnitude =
          number.Magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    }
  }
  return number;
}

}  // namespace

char UpperChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

char LowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = UpperChar(c);
  return upper;
}

std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = LowerChar(c);
  return lower;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  }
  return true;
}

int CompareText(std::string_view a, std::string_view b) {
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    const int x = static_cast<unsigned char>(UpperChar(a[i]));
    const int y = static_cast<unsigned char>(UpperChar(b[i]));
    if (x != y) return x - y;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && IsControl(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && IsControl(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view Trim(std::string_view text) { return TrimRight(TrimLeft(text)); }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::optional<int> TryStrToInt(std::string_view text) {
  const std::optional<TNumber> number = ReadNumber(text);
  if (!number) return std::nullopt;
  // Hexadecimal numbers may use all 32 bits, as the class library lets them.
  const std::uint64_t limit = number->Hex        ? 0xFFFFFFFFu
                              : number->Negative ? 0x80000000u
                                                 : 0x7FFFFFFFu;
  if (number->Magnitude > limit) return std::nullopt;
  const std::uint32_t bits = static_cast<std::uint32_t>(number->Magnitude);
  return static_cast<int>(number->Negative ? 0u - bits : bits);
}

std::optional<std::uint32_t> TryStrToUInt(std::string_view text) {
  const std::optional<TNumber> number = ReadNumber(text);
  if (!number || number->Negative || number->Magnitude > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<std::uint32_t>(number->Magnitude);
}

int StrToInt(std::string_view text) {
  std::optional<int> value = TryStrToInt(text);
  if (!value) throw Exception("'" + std::string(text) + "' is not a valid integer value");
  return *value;
}

std::string_view Copy(std::string_view text, long long index, long long count) {
  if (index < 1) index = 1;
  if (count <= 0 || index > static_cast<long long>(text.size())) return {};
  return text.substr(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count));
}

}  // namespace win
