#include "platform/network.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/prefix.h"
#include "tests/support/temp_prefix.h"

namespace {

const std::string kTables =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zerurud\\Platform\\Network\\Connections]\r\n"
    "\"X:\"=\"\\\\\\\\srv\\\\data\"\r\n"
    "\"q:\"=\"\\\\\\\\other\\\\share\\\\\"\r\n"
    "\"N:\"=dword:00000001\r\n"
    "\"E:\"=\"\"\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zerurud\\Platform\\Network\\Shares]\r\n"
    "\"\\\\\\\\srv\\\\data\"=\"/srv/export/data\"\r\n";

class Network : public ::testing::Test {
 protected:
  void SetUp() override { testing_support::WriteFile(win::HivePath(), kTables); }
  testing_support::TempPrefix FPrefix;
};

TEST_F(Network, EnumeratesConnectedDisksInStoredOrder) {
  std::vector<win::TNetResource> disks;
  ASSERT_TRUE(win::EnumConnectedDisks(disks));
  ASSERT_EQ(disks.size(), 3u) << "the entry that is no text is left out";
  EXPECT_EQ(disks[0].LocalName, "X:");
  EXPECT_EQ(disks[0].RemoteName, "\\\\srv\\data");
  EXPECT_EQ(disks[1].LocalName, "q:");
  EXPECT_EQ(disks[2].RemoteName, "");
}

TEST_F(Network, NoTableMeansNoConnections) {
  testing_support::WriteFile(win::HivePath(), "Windows Registry Editor Version 5.00\r\n");
  std::vector<win::TNetResource> disks{{"Z:", "stale"}};
  ASSERT_TRUE(win::EnumConnectedDisks(disks));
  EXPECT_TRUE(disks.empty());
}

TEST_F(Network, UnreadableHiveMakesTheProviderUnavailable) {
  testing_support::WriteFile(win::HivePath(), "not a hive\r\n");
  std::vector<win::TNetResource> disks;
  EXPECT_FALSE(win::EnumConnectedDisks(disks));
  EXPECT_EQ(win::GetLastError(), win::ERROR_NO_NETWORK);
  std::string name;
  EXPECT_EQ(win::WNetGetUniversalName("X:\\a", name, 1024), win::ERROR_NO_NETWORK);
}

// Reads every batch of an open enumeration with `bufferSize` bytes each;
// the entries of each batch, until the first result other than NO_ERROR,
// which `last` receives.
std::vector<std::vector<win::TNetResource>> ReadBatches(win::HANDLE handle, std::size_t bufferSize,
                                                        win::DWORD& last,
                                                        win::DWORD count = 0xFFFFFFFF) {
  std::vector<std::vector<win::TNetResource>> batches;
  for (;;) {
    win::DWORD got = count;
    std::vector<win::TNetResource> entries{{"stale", "stale"}};
    last = win::WNetEnumResource(handle, got, entries, bufferSize);
    if (last != win::NO_ERROR) {
      EXPECT_EQ(got, 0u);
      EXPECT_TRUE(entries.empty());
      return batches;
    }
    EXPECT_EQ(got, entries.size());
    batches.push_back(entries);
  }
}

std::vector<std::string> Lines(const std::vector<win::TNetResource>& entries) {
  std::vector<std::string> lines;
  for (const auto& entry : entries) lines.push_back(entry.RemoteName + "=" + entry.LocalName);
  return lines;
}

TEST_F(Network, EnumerationOfConnectedDisks) {
  win::HANDLE handle = nullptr;
  ASSERT_EQ(win::WNetOpenEnum(win::RESOURCE_CONNECTED, win::RESOURCETYPE_DISK, 0, nullptr, handle),
            win::NO_ERROR);
  win::DWORD last = 0;
  const auto batches = ReadBatches(handle, 16384, last);
  EXPECT_EQ(last, win::ERROR_NO_MORE_ITEMS);
  ASSERT_EQ(batches.size(), 1u);
  EXPECT_EQ(Lines(batches[0]),
            (std::vector<std::string>{"\\\\srv\\data=X:", "\\\\other\\share=q:"}))
      << "no text and no remote name are no connections; remote names lose a final backslash";
  EXPECT_EQ(win::WNetCloseEnum(handle), win::NO_ERROR);
  EXPECT_EQ(win::WNetCloseEnum(handle), win::ERROR_INVALID_HANDLE);
  win::DWORD count = 0xFFFFFFFF;
  std::vector<win::TNetResource> entries;
  EXPECT_EQ(win::WNetEnumResource(handle, count, entries, 16384), win::ERROR_INVALID_HANDLE);
}

TEST_F(Network, EnumerationBatchesFitTheBuffer) {
  // With their terminating zeros, X: takes 32 + 3 + 11 bytes, q: 32 + 3 + 14.
  struct {
    std::size_t bufferSize;
    win::DWORD count;
    std::size_t batches;
    win::DWORD last;
  } const cases[] = {
      {95, 0xFFFFFFFF, 1, win::ERROR_NO_MORE_ITEMS}, {94, 0xFFFFFFFF, 2, win::ERROR_NO_MORE_ITEMS},
      {49, 0xFFFFFFFF, 2, win::ERROR_NO_MORE_ITEMS}, {48, 0xFFFFFFFF, 1, win::ERROR_MORE_DATA},
      {45, 0xFFFFFFFF, 0, win::ERROR_MORE_DATA},     {16384, 1, 2, win::ERROR_NO_MORE_ITEMS},
  };
  for (const auto& row : cases) {
    win::HANDLE handle = nullptr;
    ASSERT_EQ(win::WNetOpenEnum(win::RESOURCE_CONNECTED, win::RESOURCETYPE_ANY, 0, nullptr, handle),
              win::NO_ERROR);
    win::DWORD last = 0;
    EXPECT_EQ(ReadBatches(handle, row.bufferSize, last, row.count).size(), row.batches)
        << row.bufferSize << " " << row.count;
    EXPECT_EQ(last, row.last) << row.bufferSize << " " << row.count;
    win::WNetCloseEnum(handle);
  }
}

TEST_F(Network, EnumerationSeesTheConnectionsOfItsOpening) {
  win::HANDLE handle = nullptr;
  ASSERT_EQ(win::WNetOpenEnum(win::RESOURCE_CONNECTED, win::RESOURCETYPE_DISK, 0, nullptr, handle),
            win::NO_ERROR);
  testing_support::WriteFile(win::HivePath(), "Windows Registry Editor Version 5.00\r\n");
  win::DWORD last = 0;
  const auto batches = ReadBatches(handle, 16384, last);
  ASSERT_EQ(batches.size(), 1u);
  EXPECT_EQ(batches[0].size(), 2u);
  win::WNetCloseEnum(handle);
}

TEST_F(Network, EnumerationRefusals) {
  const win::TNetResource container{"", "\\\\srv"};
  struct {
    win::DWORD scope;
    win::DWORD type;
    const win::TNetResource* container;
    win::DWORD result;
  } const cases[] = {
      {2 /* RESOURCE_GLOBALNET */, win::RESOURCETYPE_DISK, nullptr, win::ERROR_NOT_SUPPORTED},
      {3 /* RESOURCE_REMEMBERED */, win::RESOURCETYPE_DISK, nullptr, win::ERROR_NOT_SUPPORTED},
      {win::RESOURCE_CONNECTED, win::RESOURCETYPE_DISK, &container, win::ERROR_INVALID_PARAMETER},
  };
  for (const auto& row : cases) {
    win::HANDLE handle = nullptr;
    EXPECT_EQ(win::WNetOpenEnum(row.scope, row.type, 0, row.container, handle), row.result)
        << row.scope;
    EXPECT_EQ(handle, nullptr);
  }

  // Printers are never connected here.
  win::HANDLE handle = nullptr;
  ASSERT_EQ(
      win::WNetOpenEnum(win::RESOURCE_CONNECTED, 2 /* RESOURCETYPE_PRINT */, 0, nullptr, handle),
      win::NO_ERROR);
  win::DWORD last = 0;
  EXPECT_TRUE(ReadBatches(handle, 16384, last).empty());
  EXPECT_EQ(last, win::ERROR_NO_MORE_ITEMS);
  win::WNetCloseEnum(handle);

  testing_support::WriteFile(win::HivePath(), "not a hive\r\n");
  EXPECT_EQ(win::WNetOpenEnum(win::RESOURCE_CONNECTED, win::RESOURCETYPE_DISK, 0, nullptr, handle),
            win::ERROR_NO_NETWORK);
}

TEST_F(Network, UniversalNames) {
  struct {
    const char* path;
    win::DWORD result;
    const char* universal;
  } const cases[] = {
      {"X:\\in\\a.ruz", win::NO_ERROR, "\\\\srv\\data\\in\\a.ruz"},
      {"x:\\IN", win::NO_ERROR, "\\\\srv\\data\\IN"},
      {"X:\\", win::NO_ERROR, "\\\\srv\\data\\"},
      {"X:", win::NO_ERROR, "\\\\srv\\data"},
      {"X:rel", win::NO_ERROR, "\\\\srv\\data\\rel"},
      {"Q:\\dir", win::NO_ERROR, "\\\\other\\share\\dir"},
      {"C:\\local", win::ERROR_NOT_CONNECTED, ""},
      {"N:\\number", win::ERROR_NOT_CONNECTED, ""},
      {"E:\\empty", win::ERROR_NOT_CONNECTED, ""},
      {"\\\\srv\\data\\a", win::ERROR_BAD_DEVICE, ""},
      {"relative\\a", win::ERROR_BAD_DEVICE, ""},
      {"1:\\a", win::ERROR_BAD_DEVICE, ""},
      {"", win::ERROR_BAD_DEVICE, ""},
  };
  for (const auto& row : cases) {
    std::string name;
    EXPECT_EQ(win::WNetGetUniversalName(row.path, name, 1024), row.result) << row.path;
    EXPECT_EQ(name, row.universal) << row.path;
    EXPECT_EQ(win::GetLastError(), row.result) << row.path;
  }
}

TEST_F(Network, UniversalNameMustFitTheBufferWithItsTerminator) {
  const std::string universal = "\\\\srv\\data\\in";  // 13 characters
  std::string name = "untouched";
  EXPECT_EQ(win::WNetGetUniversalName("X:\\in", name, universal.size()), win::ERROR_MORE_DATA);
  EXPECT_EQ(name, "untouched");
  EXPECT_EQ(win::WNetGetUniversalName("X:\\in", name, universal.size() + 1), win::NO_ERROR);
  EXPECT_EQ(name, universal);
}

TEST_F(Network, ShareHostFolders) {
  std::filesystem::path folder;
  ASSERT_TRUE(win::FindShareHostFolder("\\\\SRV\\Data", folder));
  EXPECT_EQ(folder, "/srv/export/data");
  folder.clear();
  ASSERT_TRUE(win::FindShareHostFolder("\\\\srv\\data\\", folder));
  EXPECT_EQ(folder, "/srv/export/data");
  EXPECT_FALSE(win::FindShareHostFolder("\\\\other\\share", folder));
  EXPECT_FALSE(win::FindShareHostFolder("\\\\srv", folder));
}

}  // namespace
