#include "platform/version_block.h"

#include "platform/text.h"

namespace win {

namespace {

constexpr std::size_t kNodeHeaderSize = 6;
constexpr std::uint16_t kBinaryNode = 0;
constexpr std::uint16_t kTextNode = 1;
constexpr std::string_view kRootKey = "VS_VERSION_INFO";

std::size_t AlignTo4(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

void PutWord(std::string& out, std::uint16_t word) {
  out += static_cast<char>(word & 0xFF);
  out += static_cast<char>(word >> 8);
}

void PutDword(std::string& out, std::uint32_t dword) {
  PutWord(out, static_cast<std::uint16_t>(dword & 0xFFFF));
  PutWord(out, static_cast<std::uint16_t>(dword >> 16));
}

void SetWord(std::string& out, std::size_t offset, std::size_t word) {
  out[offset] = static_cast<char>(word & 0xFF);
  out[offset + 1] = static_cast<char>(word >> 8 & 0xFF);
}

void PadTo4(std::string& out) { out.resize(AlignTo4(out.size()), '\0'); }

// Single-byte text as UTF-16 with its terminating zero.
std::string Utf16WithZero(std::string_view text) {
  std::string wide;
  for (const char c : text) PutWord(wide, static_cast<unsigned char>(c));
  PutWord(wide, 0);
  return wide;
}

// One node: `valueLength` counts bytes for binary values and characters,
// the zero included, for texts, as resource compilers write it.
std::string Node(std::string_view key, std::uint16_t type, std::string_view value,
                 std::size_t valueLength, const std::vector<std::string>& children) {
  std::string node(kNodeHeaderSize, '\0');
  node += Utf16WithZero(key);
  PadTo4(node);
  node += value;
  for (const std::string& child : children) {
    PadTo4(node);
    node += child;
  }
  SetWord(node, 0, node.size());
  SetWord(node, 2, valueLength);
  SetWord(node, 4, type);
  return node;
}

std::string TextNode(std::string_view key, std::string_view text) {
  const std::string value = Utf16WithZero(text);
  return Node(key, kTextNode, value, value.size() / 2, {});
}

std::string FixedInfoBytes(const VS_FIXEDFILEINFO& fixed) {
  std::string bytes;
  for (const std::uint32_t field :
       {fixed.dwSignature, fixed.dwStrucVersion, fixed.dwFileVersionMS, fixed.dwFileVersionLS,
        fixed.dwProductVersionMS, fixed.dwProductVersionLS, fixed.dwFileFlagsMask,
        fixed.dwFileFlags, fixed.dwFileOS, fixed.dwFileType, fixed.dwFileSubtype,
        fixed.dwFileDateMS, fixed.dwFileDateLS}) {
    PutDword(bytes, field);
  }
  return bytes;
}

std::uint16_t WordAt(std::string_view block, std::size_t offset) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(block[offset]) |
                                    static_cast<unsigned char>(block[offset + 1]) << 8);
}

// A node of the block, by offsets into it.
struct TNode {
  std::size_t End = 0;
  std::string Key;
  bool IsText = false;
  std::size_t ValueStart = 0;
  std::size_t ValueSize = 0;
  std::size_t ChildrenStart = 0;
};

// The node at `start`, which must end by `limit`; nothing when its lengths
// do not fit.
std::optional<TNode> ReadNode(std::string_view block, std::size_t start, std::size_t limit) {
  if (limit > block.size() || start + kNodeHeaderSize > limit) return std::nullopt;
  const std::size_t length = WordAt(block, start);
  if (length < kNodeHeaderSize || start + length > limit) return std::nullopt;
  TNode node;
  node.End = start + length;
  const std::uint16_t valueLength = WordAt(block, start + 2);
  node.IsText = WordAt(block, start + 4) == kTextNode;

  std::size_t keyEnd = start + kNodeHeaderSize;
  while (keyEnd + 2 <= node.End && WordAt(block, keyEnd) != 0) keyEnd += 2;
  if (keyEnd + 2 > node.End) return std::nullopt;
  node.Key =
      NarrowVersionText(block.substr(start + kNodeHeaderSize, keyEnd - start - kNodeHeaderSize));

  node.ValueStart = std::min(AlignTo4(keyEnd + 2), node.End);
  const std::size_t room = node.End - node.ValueStart;
  if (node.IsText) {
    // Some writers count a text's bytes instead of its characters; the
    // node's end bounds it either way.
    node.ValueSize = std::min<std::size_t>(std::size_t{valueLength} * 2, room);
  } else {
    if (valueLength > room) return std::nullopt;
    node.ValueSize = valueLength;
  }
  node.ChildrenStart = AlignTo4(node.ValueStart + node.ValueSize);
  return node;
}

// The child of `parent` keyed `key`; nothing when it is missing or a child
// on the way is damaged.
std::optional<TNode> FindChild(std::string_view block, const TNode& parent, std::string_view key) {
  std::size_t position = parent.ChildrenStart;
  while (position < parent.End) {
    const std::optional<TNode> child = ReadNode(block, position, parent.End);
    if (!child) return std::nullopt;
    if (SameText(child->Key, key)) return child;
    position = AlignTo4(child->End);
  }
  return std::nullopt;
}

std::optional<TNode> ReadRoot(std::string_view data) {
  std::optional<TNode> root = ReadNode(data, 0, data.size());
  if (!root || root->Key != kRootKey) return std::nullopt;
  return root;
}

}  // namespace

std::string BuildVersionBlock(const TVersionResource& resource) {
  std::vector<std::string> children;
  if (!resource.StringTables.empty()) {
    std::vector<std::string> tables;
    for (const TVersionStringTable& table : resource.StringTables) {
      std::vector<std::string> strings;
      for (const auto& [name, text] : table.Strings) strings.push_back(TextNode(name, text));
      tables.push_back(Node(table.Translation, kTextNode, {}, 0, strings));
    }
    children.push_back(Node("StringFileInfo", kTextNode, {}, 0, tables));
  }
  if (!resource.Translations.empty()) {
    std::string pairs;
    for (const auto& [language, codePage] : resource.Translations) {
      PutWord(pairs, language);
      PutWord(pairs, codePage);
    }
    children.push_back(Node("VarFileInfo", kTextNode, {}, 0,
                            {Node("Translation", kBinaryNode, pairs, pairs.size(), {})}));
  }
  const std::string fixed = resource.Fixed ? FixedInfoBytes(*resource.Fixed) : std::string();
  return Node(kRootKey, kBinaryNode, fixed, fixed.size(), children);
}

std::optional<std::size_t> VersionBlockLength(std::string_view data) {
  const std::optional<TNode> root = ReadRoot(data);
  if (!root) return std::nullopt;
  return root->End;
}

std::optional<TVersionValue> QueryVersionBlock(std::string_view block, std::string_view subBlock) {
  std::optional<TNode> node = ReadRoot(block);
  while (node && !subBlock.empty()) {
    const std::size_t separator = subBlock.find('\\');
    const std::string_view key = subBlock.substr(0, separator);
    subBlock =
        separator == std::string_view::npos ? std::string_view() : subBlock.substr(separator + 1);
    if (!key.empty()) node = FindChild(block, *node, key);
  }
  if (!node || node->ValueSize == 0) return std::nullopt;
  return TVersionValue{node->IsText, block.substr(node->ValueStart, node->ValueSize),
                       node->ValueStart};
}

std::string NarrowVersionText(std::string_view utf16) {
  std::string narrow;
  for (std::size_t i = 0; i + 1 < utf16.size(); i += 2) {
    const std::uint16_t unit = WordAt(utf16, i);
    if (unit == 0) break;
    narrow += unit < 0x100 ? static_cast<char>(unit) : '?';
  }
  return narrow;
}

}  // namespace win
