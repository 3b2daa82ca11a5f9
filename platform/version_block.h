// The version-information block (VS_VERSIONINFO) as a program file carries
// it: a tree of nodes, each a length, a value length, a type (0 binary,
// 1 text), a UTF-16 key and a value, children after it, every part on a
// 4-byte boundary of the block, all numbers least significant byte first.
// The root "VS_VERSION_INFO" holds the fixed part (VS_FIXEDFILEINFO) as its
// value; its children are "StringFileInfo", with one string table per
// translation ("040904E4": language 0409, code page 04E4), and
// "VarFileInfo" with the "Translation" list.
//
// Reading never trusts the block: every length is checked against the node
// that holds it, so a damaged block makes a query fail, never read outside
// the block. Texts are narrowed to single bytes as the system code page has
// them; a character beyond that range reads as "?".
//
// It does not find the block in a file (version_image.h) and knows nothing
// of the Windows calls (version.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace win {

// VS_FIXEDFILEINFO, 52 bytes in the block.
struct VS_FIXEDFILEINFO {
  std::uint32_t dwSignature = 0xFEEF04BD;
  std::uint32_t dwStrucVersion = 0x00010000;
  std::uint32_t dwFileVersionMS = 0;
  std::uint32_t dwFileVersionLS = 0;
  std::uint32_t dwProductVersionMS = 0;
  std::uint32_t dwProductVersionLS = 0;
  std::uint32_t dwFileFlagsMask = 0x3F;
  std::uint32_t dwFileFlags = 0;
  std::uint32_t dwFileOS = 0x00040004;  // VOS_NT_WINDOWS32
  std::uint32_t dwFileType = 1;         // VFT_APP
  std::uint32_t dwFileSubtype = 0;
  std::uint32_t dwFileDateMS = 0;
  std::uint32_t dwFileDateLS = 0;
};
inline constexpr std::size_t kFixedFileInfoSize = 52;

// What a block says, for writing one.
struct TVersionStringTable {
  std::string Translation;                                   // "040904E4"
  std::vector<std::pair<std::string, std::string>> Strings;  // "FileVersion", "2.0.1.5"
};
struct TVersionResource {
  std::optional<VS_FIXEDFILEINFO> Fixed;  // none: the root has no value
  std::vector<TVersionStringTable> StringTables;
  // Language and code page pairs of "VarFileInfo\Translation"; none: no
  // "VarFileInfo" at all.
  std::vector<std::pair<std::uint16_t, std::uint16_t>> Translations;
};

// The block's bytes, as a resource compiler writes them.
std::string BuildVersionBlock(const TVersionResource& resource);

// The length of the block that begins `data` (its root's own length), when
// the root is a "VS_VERSION_INFO" node that fits in `data`.
std::optional<std::size_t> VersionBlockLength(std::string_view data);

// One node found by a query.
struct TVersionValue {
  bool IsText = false;
  std::string_view Value;  // the value's bytes inside the block
  std::size_t Offset = 0;  // where they begin in the block
};

// The node that `subBlock` names ("\" the root's value,
// "\StringFileInfo\040904E4\FileVersion", "\VarFileInfo\Translation"),
// keys compared without regard to letter case; nothing when a key is
// missing, the block is damaged on the way, or the node has no value.
std::optional<TVersionValue> QueryVersionBlock(std::string_view block, std::string_view subBlock);

// A text value narrowed to single bytes, up to its first zero character.
std::string NarrowVersionText(std::string_view utf16);

}  // namespace win
