// Small text and path helpers of the account splitter, and the choice of its
// configuration file. Positions are 1-based; "blank" is the space character.
#pragma once

#include <cstdint>
#include <string>

namespace splitter {

// The full path of the configuration file, set by SelectIniFile; empty until
// then.
extern std::string IniFileName;
// The parameter index last given to SelectIniFile.
extern std::uint8_t IniParamIndex;

// `text` padded with blanks, or cut, to exactly `width` characters.
std::string PadToWidth(const std::string& text, std::uint8_t width);

// The last position of `c` in `text`, searching backwards from position
// (length mod 256); 0 when there is none. Positions are 8 bits wide, so a
// text longer than 255 characters is only searched from length mod 256.
std::uint8_t LastCharPos(char c, const std::string& text);

// Picks the configuration file: command-line parameter index + 1 in upper
// case when there is one, otherwise the program's path with the extension
// ".INI"; a name without a folder is put into the program's folder.
void SelectIniFile(std::uint8_t index);

// `text` without one trailing backslash, unless it is a lone "\".
std::string StripTrailingBackslash(const std::string& text);

// The short (8.3) form of `path`, or `path` itself when the system gives
// none (a missing file, or a path longer than 1024 characters).
std::string ShortPathName(const std::string& path);

}  // namespace splitter
