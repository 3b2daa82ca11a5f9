// The hive's text format: the lines of a regedit export ("Windows Registry
// Editor Version 5.00") read one item at a time, and values and key lines
// written the way regedit writes them.
//
// Value data are held as the registry holds them, with the UTF-16 texts of
// hex(1), hex(2) and hex(7) narrowed to single bytes: a REG_SZ or
// REG_EXPAND_SZ is its text and a terminating zero, a REG_MULTI_SZ each text
// with a zero and one more zero, a REG_DWORD four bytes, least significant
// first. Only HKEY_LOCAL_MACHINE keys are read; deletions ("[-...]", "=-")
// are refused.
//
// It knows nothing of which keys exist or of the order of keys (hive.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/error.h"
#include "platform/regtypes.h"

namespace win {

// A hive text that cannot be parsed; the message names the source and line.
class EHiveFormatError : public Exception {
 public:
  EHiveFormatError(const std::string& source, int line, const std::string& reason);
  int Line;
};

struct THiveValue {
  std::string Name;  // "" is the key's default value, written @=
  DWORD Type = REG_SZ;
  std::string Data;
};

// One item of a hive text after its header line.
struct THiveItem {
  enum class TKind { Other, Key, Value };  // Other: a blank line or a comment
  TKind Kind = TKind::Other;
  std::string_view Text;  // the item's lines as read, line ends included
  std::string Path;       // a key's path below HKEY_LOCAL_MACHINE ("" the root)
  THiveValue Value;
};

class THiveTextReader {
 public:
  // Checks the header line; throws EHiveFormatError, naming `source` and the
  // line, for bad text here and in Next. The text must not be empty.
  THiveTextReader(std::string_view text, const std::string& source);

  // The header line with its line end.
  std::string_view HeaderLine() const { return FHeader; }
  // The next item; false at the end of the text.
  bool Next(THiveItem& item);

 private:
  struct TLine {
    std::string_view Content;  // without the line end
    std::string_view Whole;
  };
  bool ReadLine(TLine& line);
  [[noreturn]] void Fail(std::size_t lineNumber, const std::string& reason) const;
  std::string ParseKeyPath(std::string_view content) const;
  void ParseValue(std::string_view content, THiveValue& value);
  std::string JoinContinuation(std::string_view rest);
  std::string ParseHexBytes(std::string_view list, std::size_t lineNumber) const;

  std::string_view FRest;
  const std::string& FSource;
  std::string_view FHeader;
  std::size_t FLineNumber = 0;  // of the last line read
  bool FKeySeen = false;
};

// A value's lines, with `lineEnd` after each.
std::string FormatHiveValue(const THiveValue& value, const std::string& lineEnd);
// "[HKEY_LOCAL_MACHINE\path]" and `lineEnd`.
std::string FormatHiveKeyLine(std::string_view path, const std::string& lineEnd);
// True when `text` ends with a line holding nothing but blanks, so that a
// key written after it needs no blank line of its own.
bool EndsWithBlankLine(std::string_view text);

}  // namespace win
