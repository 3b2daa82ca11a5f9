#include "platform/version.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/tests/pe_image.h"
#include "platform/version_block.h"
#include "platform/version_image.h"
#include "tests/support/temp_prefix.h"

namespace {

using testing_support::TempPrefix;
using testing_support::WriteFile;
using win::DWORD;
using win_testing::BuildPeImage;
using win_testing::PeImageWithVersion;
using win_testing::TPeImageSpec;

const char kFileVersion[] = "\\StringFileInfo\\040904E4\\FileVersion";

std::string Block(const std::string& fileVersion) {
  win::TVersionResource resource;
  resource.Fixed = win::VS_FIXEDFILEINFO{};
  resource.StringTables.push_back(
      {"040904E4", {{"FileVersion", fileVersion}, {"ProductName", "Zerurud Printer"}}});
  resource.Translations = {{0x0409, 1252}};
  return win::BuildVersionBlock(resource);
}

// The information of `file`, as a reader of version resources takes it.
std::optional<std::vector<char>> Information(const std::string& file) {
  DWORD handle = 1;
  const DWORD size = win::GetFileVersionInfoSize(file, &handle);
  EXPECT_EQ(handle, 0u);
  if (size == 0) return std::nullopt;
  std::vector<char> data(size);
  if (!win::GetFileVersionInfo(file, 0, size, data.data())) return std::nullopt;
  return data;
}

std::optional<std::string> QueryText(std::vector<char>& data, const std::string& subBlock) {
  void* buffer = nullptr;
  win::UINT length = 0;
  if (!win::VerQueryValue(data.data(), subBlock, &buffer, &length)) return std::nullopt;
  const std::string text(static_cast<const char*>(buffer));
  EXPECT_EQ(length, text.size() + 1);
  return text;
}

class VersionTest : public ::testing::Test {
 protected:
  TempPrefix FPrefix;
};

TEST_F(VersionTest, ReadsTheTextsOfAPeFile) {
  for (const bool pe32Plus : {false, true}) {
    TPeImageSpec spec;
    spec.Pe32Plus = pe32Plus;
    spec.ResourceData = Block("2.0.1.5");
    WriteFile(FPrefix.OnDriveC("C:\\Apps\\prog.exe"), BuildPeImage(spec));
    auto data = Information("C:\\APPS\\PROG.EXE");
    ASSERT_TRUE(data) << pe32Plus;
    // Texts stay valid side by side: each has room of its own.
    const void* first = nullptr;
    win::UINT length = 0;
    ASSERT_TRUE(
        win::VerQueryValue(data->data(), kFileVersion, const_cast<void**>(&first), &length));
    EXPECT_EQ(QueryText(*data, "\\StringFileInfo\\040904E4\\ProductName"), "Zerurud Printer");
    EXPECT_STREQ(static_cast<const char*>(first), "2.0.1.5");
    EXPECT_EQ(length, 8u);

    void* fixed = nullptr;
    ASSERT_TRUE(win::VerQueryValue(data->data(), "\\", &fixed, &length));
    EXPECT_EQ(length, win::kFixedFileInfoSize);
    EXPECT_EQ(*static_cast<const std::uint32_t*>(fixed), 0xFEEF04BDu);
  }
}

TEST_F(VersionTest, FilesWithoutVersionInformation) {
  const std::string good = PeImageWithVersion(Block("2.0.1.5"));
  TPeImageSpec noResources;
  noResources.HasResources = false;
  TPeImageSpec icon;
  icon.ResourceType = 3;
  icon.ResourceData = Block("2.0.1.5");
  std::string damaged = Block("2.0.1.5");
  damaged[0] = '\x7F';  // the root claims more than the resource holds
  struct {
    const char* what;
    std::optional<std::string> content;
    DWORD error;
  } const cases[] = {
      {"missing file", std::nullopt, win::ERROR_FILE_NOT_FOUND},
      {"text file", "FileVersion 2.0.1.5\r\n", win::ERROR_BAD_FORMAT},
      {"empty file", "", win::ERROR_BAD_FORMAT},
      {"PE headers cut off", good.substr(0, 0x100), win::ERROR_BAD_FORMAT},
      {"PE without resources", BuildPeImage(noResources), win::ERROR_RESOURCE_DATA_NOT_FOUND},
      {"PE with another resource", BuildPeImage(icon), win::ERROR_RESOURCE_TYPE_NOT_FOUND},
      {"PE resource cut off", good.substr(0, good.size() - 0x200 + 0x60),
       win::ERROR_RESOURCE_TYPE_NOT_FOUND},
      {"damaged block", PeImageWithVersion(damaged), win::ERROR_INVALID_DATA},
  };
  std::filesystem::create_directories(FPrefix.OnDriveC("C:\\Apps"));
  for (const auto& c : cases) {
    const std::string file = "C:\\Apps\\case.exe";
    std::filesystem::remove(FPrefix.OnDriveC(file));
    if (c.content) WriteFile(FPrefix.OnDriveC(file), *c.content);
    DWORD handle = 0;
    EXPECT_EQ(win::GetFileVersionInfoSize(file, &handle), 0u) << c.what;
    EXPECT_EQ(win::GetLastError(), c.error) << c.what;
    char data[4096];
    EXPECT_FALSE(win::GetFileVersionInfo(file, 0, sizeof data, data)) << c.what;
    EXPECT_EQ(win::GetLastError(), c.error) << c.what;
  }
  EXPECT_EQ(win::GetFileVersionInfoSize("", nullptr), 0u);
}

TEST_F(VersionTest, ReadsTheSectionOfAHostProgram) {
  // This test program carries no version section; the converter's own is
  // read by the installer's tests.
  WriteFile(FPrefix.OnDriveC("C:\\Apps\\host"), testing_support::ReadFile("/proc/self/exe"));
  EXPECT_EQ(win::GetFileVersionInfoSize("C:\\Apps\\host", nullptr), 0u);
  EXPECT_EQ(win::GetLastError(), win::ERROR_RESOURCE_TYPE_NOT_FOUND);
}

TEST_F(VersionTest, AProgramNameWithExeFindsTheHostProgramWithout) {
  WriteFile(FPrefix.OnDriveC("C:\\Apps\\Prog"), PeImageWithVersion(Block("1.0")));
  auto data = Information("C:\\Apps\\Prog.EXE");
  ASSERT_TRUE(data);
  EXPECT_EQ(QueryText(*data, kFileVersion), "1.0");

  // A file of the full name comes first.
  WriteFile(FPrefix.OnDriveC("C:\\Apps\\Prog.exe"), PeImageWithVersion(Block("2.0")));
  data = Information("C:\\Apps\\Prog.exe");
  ASSERT_TRUE(data);
  EXPECT_EQ(QueryText(*data, kFileVersion), "2.0");

  // Only ".exe" is left out, and only when the full name is missing.
  EXPECT_EQ(win::GetFileVersionInfoSize("C:\\Apps\\Prog.dll", nullptr), 0u);
  EXPECT_EQ(win::GetLastError(), win::ERROR_FILE_NOT_FOUND);
}

TEST_F(VersionTest, ABufferTooSmallIsRefused) {
  WriteFile(FPrefix.OnDriveC("C:\\Apps\\prog.exe"), PeImageWithVersion(Block("2.0.1.5")));
  const DWORD size = win::GetFileVersionInfoSize("C:\\Apps\\prog.exe", nullptr);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  EXPECT_FALSE(win::GetFileVersionInfo("C:\\Apps\\prog.exe", 0, size - 1, data.data()));
  EXPECT_EQ(win::GetLastError(), win::ERROR_INSUFFICIENT_BUFFER);
}

TEST(VersionImageTest, NoCutOfAnImageReadsOutsideIt) {
  const std::string image = PeImageWithVersion(Block("2.0.1.5"));
  for (std::size_t length = 0; length < image.size(); ++length) {
    const std::string cut = image.substr(0, length);
    std::string_view block;
    if (win::FindVersionBlock(cut, block) == win::ERROR_SUCCESS) {
      EXPECT_GE(block.data(), cut.data());
      EXPECT_LE(block.data() + block.size(), cut.data() + cut.size()) << length;
    }
  }
}

TEST(VersionImageTest, DamagedElfHeadersAreNoProgram) {
  // This test program is a 64-bit ELF file without a version section.
  const std::string self = testing_support::ReadFile("/proc/self/exe");
  ASSERT_GT(self.size(), 64u);
  ASSERT_EQ(self[4], 2);
  const auto with = [&](std::size_t at, std::uint64_t value, int size) {
    std::string image = self;
    for (int i = 0; i < size; ++i) image[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    return image;
  };
  const std::uint16_t count =
      static_cast<unsigned char>(self[0x3C]) | static_cast<unsigned char>(self[0x3D]) << 8;
  struct {
    const char* what;
    std::string image;
    DWORD error;
  } const cases[] = {
      {"as built", self, win::ERROR_RESOURCE_TYPE_NOT_FOUND},
      {"section table beyond the end", with(0x28, self.size(), 8), win::ERROR_BAD_FORMAT},
      {"section table far beyond the end", with(0x28, ~std::uint64_t{0} - 8, 8),
       win::ERROR_BAD_FORMAT},
      {"too many sections", with(0x3C, 0xFFFF, 2), win::ERROR_BAD_FORMAT},
      {"name table out of range", with(0x3E, count, 2), win::ERROR_BAD_FORMAT},
      {"entries too small", with(0x3A, 10, 2), win::ERROR_BAD_FORMAT},
      {"big-endian", with(5, 2, 1), win::ERROR_BAD_FORMAT},
      {"cut before its sections", self.substr(0, self.size() / 2), win::ERROR_BAD_FORMAT},
  };
  for (const auto& c : cases) {
    std::string_view block;
    EXPECT_EQ(win::FindVersionBlock(c.image, block), c.error) << c.what;
  }
}

}  // namespace
