#include "platform/version_block.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace {

using win::QueryVersionBlock;
using win::TVersionResource;

// UTF-16 with the terminating zero, as the block stores keys and texts.
std::string U16(const std::string& text) {
  std::string wide;
  for (const char c : text) wide += std::string{c, '\0'};
  return wide + std::string(2, '\0');
}

std::string Header(int length, int valueLength, int type) {
  return std::string{static_cast<char>(length), '\0', static_cast<char>(valueLength), '\0',
                     static_cast<char>(type),   '\0'};
}

TVersionResource FullResource() {
  TVersionResource resource;
  resource.Fixed = win::VS_FIXEDFILEINFO{};
  resource.Fixed->dwFileVersionMS = 0x00020000;
  resource.Fixed->dwFileVersionLS = 0x00010005;
  resource.StringTables.push_back(
      {"040904E4", {{"CompanyName", "Zerurud"}, {"FileVersion", "2.0.1.5"}}});
  resource.StringTables.push_back({"040704E4", {{"FileVersion", "2.0.1.6"}}});
  resource.Translations = {{0x0409, 1252}, {0x0407, 1252}};
  return resource;
}

std::optional<std::string> Text(const std::string& block, const std::string& query) {
  const auto value = QueryVersionBlock(block, query);
  if (!value || !value->IsText) return std::nullopt;
  return win::NarrowVersionText(value->Value);
}

TEST(VersionBlockTest, WritesTheLayoutOfAResourceCompiler) {
  TVersionResource resource;
  resource.StringTables.push_back({"040904E4", {{"A", "b"}}});
  // Every node starts on a 4-byte boundary; lengths leave out the padding
  // after a node's last byte.
  const std::string expected =
      Header(116, 0, 0) + U16("VS_VERSION_INFO") + std::string(2, '\0') +  // root, 40 bytes
      Header(76, 0, 1) + U16("StringFileInfo") +                           // 36 bytes
      Header(40, 0, 1) + U16("040904E4") +                                 // 24 bytes
      Header(16, 2, 1) + U16("A") + std::string(2, '\0') + U16("b");       // 16 bytes
  EXPECT_EQ(win::BuildVersionBlock(resource), expected);
}

TEST(VersionBlockTest, FindsValuesByPathWithoutRegardToCase) {
  const std::string block = win::BuildVersionBlock(FullResource());
  ASSERT_EQ(win::VersionBlockLength(block), block.size());
  struct {
    const char* query;
    std::optional<std::string> text;
  } const cases[] = {
      {"\\StringFileInfo\\040904E4\\FileVersion", "2.0.1.5"},
      {"\\stringfileinfo\\040904e4\\fileversion", "2.0.1.5"},
      {"\\StringFileInfo\\040904E4\\CompanyName", "Zerurud"},
      {"\\StringFileInfo\\040704E4\\FileVersion", "2.0.1.6"},
      {"\\StringFileInfo\\040904B0\\FileVersion", std::nullopt},
      {"\\StringFileInfo\\040904E4\\ProductVersion", std::nullopt},
      {"\\StringFileInfo\\040904E4", std::nullopt},  // a table has no value
      {"\\StringFileInfo\\FileVersion", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(Text(block, c.query), c.text) << c.query;

  const auto fixed = QueryVersionBlock(block, "\\");
  ASSERT_TRUE(fixed);
  ASSERT_EQ(fixed->Value.size(), win::kFixedFileInfoSize);
  EXPECT_EQ(fixed->Value.substr(0, 4), std::string("\xBD\x04\xEF\xFE"));
  EXPECT_EQ(fixed->Value.substr(8, 8), std::string("\x00\x00\x02\x00\x05\x00\x01\x00", 8));
  const auto translations = QueryVersionBlock(block, "\\VarFileInfo\\Translation");
  ASSERT_TRUE(translations);
  EXPECT_FALSE(translations->IsText);
  EXPECT_EQ(translations->Value, std::string("\x09\x04\xE4\x04\x07\x04\xE4\x04"));
}

TEST(VersionBlockTest, NarrowsTextsToSingleBytes) {
  EXPECT_EQ(win::NarrowVersionText(std::string("2\0,\0 \0\xE9\0", 8)), "2, \xE9");
  EXPECT_EQ(win::NarrowVersionText(std::string("a\0\x3A\x26z\0", 6)), "a?z");
  EXPECT_EQ(win::NarrowVersionText(std::string("a\0\0\0b\0", 6)), "a");
}

TEST(VersionBlockTest, AFixedPartAloneHasNoStrings) {
  TVersionResource resource;
  resource.Fixed = win::VS_FIXEDFILEINFO{};
  const std::string block = win::BuildVersionBlock(resource);
  EXPECT_TRUE(QueryVersionBlock(block, "\\"));
  EXPECT_FALSE(QueryVersionBlock(block, "\\StringFileInfo\\040904E4\\FileVersion"));
}

TEST(VersionBlockTest, DamagedBlocksFailTheQuery) {
  const std::string good = win::BuildVersionBlock(FullResource());
  const std::string query = "\\StringFileInfo\\040904E4\\FileVersion";
  const auto setWord = [](std::string block, std::size_t at, int word) {
    block[at] = static_cast<char>(word & 0xFF);
    block[at + 1] = static_cast<char>(word >> 8);
    return block;
  };
  // Offsets of the layout: the root's value (52 bytes) ends at 92, where
  // "StringFileInfo" begins; its first table begins at 128.
  struct {
    const char* what;
    std::string block;
  } const cases[] = {
      {"root longer than the data", setWord(good, 0, static_cast<int>(good.size()) + 4)},
      {"root shorter than its header", setWord(good, 0, 4)},
      {"root renamed", setWord(good, 6, 'W')},
      {"child of length zero", setWord(good, 92, 0)},
      {"child longer than its parent", setWord(good, 92, static_cast<int>(good.size()))},
      {"table longer than its parent", setWord(good, 128, 0x7FFF)},
      {"fixed part longer than the root", setWord(good, 2, 0x7FFF)},
      {"cut in half", good.substr(0, good.size() / 2)},
      {"empty", ""},
  };
  for (const auto& c : cases) EXPECT_FALSE(Text(c.block, query)) << c.what;
}

TEST(VersionBlockTest, NoSingleDamagedByteMakesAQueryReadOutsideTheBlock) {
  const std::string good = win::BuildVersionBlock(FullResource());
  for (std::size_t at = 0; at < good.size(); ++at) {
    for (const char byte : {'\0', '\x01', '\x7F', '\xFF'}) {
      std::string block = good;
      block[at] = byte;
      // Exact bounds: a copy of just the block, so a sanitizer sees any
      // read past its end.
      const std::string exact(block);
      for (const char* query :
           {"\\", "\\StringFileInfo\\040904E4\\FileVersion", "\\VarFileInfo\\Translation"}) {
        const auto value = QueryVersionBlock(exact, query);
        if (value) {
          EXPECT_LE(value->Offset + value->Value.size(), exact.size()) << at << " " << query;
        }
      }
    }
  }
}

}  // namespace
