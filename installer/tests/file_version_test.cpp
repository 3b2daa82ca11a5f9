#include "installer/file_version.h"

#include <filesystem>
#include <optional>
#include <string>

#include "platform/tests/pe_image.h"
#include "platform/version_block.h"
#include "tests/support/temp_prefix.h"
#include <gtest/gtest.h>

namespace {

using testing_support::TempPrefix;
using testing_support::WriteFile;

struct TTable {
  const char* translation;
  const char* fileVersion;
};

std::string ImageWith(std::optional<TTable> table) {
  win::TVersionResource resource;
  resource.Fixed = win::VS_FIXEDFILEINFO{};
  resource.Fixed->dwFileVersionMS = 0x00020000;
  resource.Fixed->dwFileVersionLS = 0x00010005;
  if (table) {
    resource.StringTables.push_back(
        {table->translation, {{"CompanyName", "Zerurud"}, {"FileVersion", table->fileVersion}}});
  }
  return win_testing::PeImageWithVersion(win::BuildVersionBlock(resource));
}

TEST(FileVersionTest, TakesTheUsEnglishFileVersionAsWritten) {
  TempPrefix prefix;
  std::string damaged = ImageWith(TTable{"040904E4", "2.0.1.5"});
  damaged.resize(damaged.size() - 0x180);  // cuts through the block
  struct {
    const char* what;
    std::optional<std::string> image;
    const char* expected;
  } const cases[] = {
      {"US English, code page 1252", ImageWith(TTable{"040904E4", "2.0.1.5"}), "Version 2.0.1.5"},
      {"written with commas", ImageWith(TTable{"040904E4", "2, 0, 1, 5"}), "Version 2, 0, 1, 5"},
      {"with blanks kept", ImageWith(TTable{"040904E4", " 2.0 beta "}), "Version  2.0 beta "},
      {"German only", ImageWith(TTable{"040704E4", "2.0.1.5"}), "Version 0.0.0.0"},
      {"Unicode code page only", ImageWith(TTable{"040904B0", "2.0.1.5"}), "Version 0.0.0.0"},
      {"numbers only", ImageWith(std::nullopt), "Version 0.0.0.0"},
      {"damaged", damaged, "Version 0.0.0.0"},
      {"not a program", "just text", "Version 0.0.0.0"},
      {"missing", std::nullopt, "Version 0.0.0.0"},
  };
  const std::string path = "C:\\Zerurud\\VAVavidi.exe";
  for (const auto& c : cases) {
    std::filesystem::remove(prefix.OnDriveC(path));
    if (c.image) WriteFile(prefix.OnDriveC(path), *c.image);
    installer::TVersion version;
    EXPECT_EQ(version.GetVersionString(path), c.expected) << c.what;
  }
  EXPECT_EQ(installer::TVersion().GetVersionString(""), "Version 0.0.0.0");
}

TEST(FileVersionTest, ReadsTheConverterBuiltBesideIt) {
  TempPrefix prefix;
  const std::filesystem::path host = prefix.OnDriveC("C:\\Zerurud\\VAVavidi");
  std::filesystem::create_directories(host.parent_path());
  std::filesystem::copy_file(VAVAVIDI_PATH, host);
  EXPECT_EQ(installer::TVersion().GetVersionString("C:\\Zerurud\\VAVavidi.exe"),
            "Version " PROJECT_VERSION);
}

}  // namespace
