#include "platform/prefix.h"

#include <stdlib.h>

#include <gtest/gtest.h>

#include "tests/support/temp_prefix.h"

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::TempDir;

TEST(Prefix, FirstUseCreatesTheDefaultMachine) {
  TempDir dir;
  const fs::path root = dir.path() / "machine";
  ::setenv("ZERURUD_PREFIX", root.c_str(), 1);
  EXPECT_EQ(win::PrefixRoot(), root);
  EXPECT_EQ(fs::read_symlink(root / "dosdevices" / "c:"), fs::path("../drive_c"));
  EXPECT_EQ(fs::read_symlink(root / "dosdevices" / "z:"), fs::path("/"));
  EXPECT_TRUE(fs::is_directory(root / "drive_c"));
  EXPECT_TRUE(fs::is_empty(root / "drive_c"));
  EXPECT_EQ(ReadFile(win::HivePath()), "Windows Registry Editor Version 5.00\r\n\r\n");
  ::unsetenv("ZERURUD_PREFIX");
}

TEST(Prefix, ExistingPartsAreKept) {
  TempDir dir;
  testing_support::WriteFile(dir.path() / "system.reg", "custom");
  fs::create_directories(dir.path() / "dosdevices");
  fs::create_directory_symlink("/tmp", dir.path() / "dosdevices" / "c:");
  ::setenv("ZERURUD_PREFIX", dir.path().c_str(), 1);
  win::PrefixRoot();
  EXPECT_EQ(ReadFile(dir.path() / "system.reg"), "custom");
  EXPECT_EQ(fs::read_symlink(dir.path() / "dosdevices" / "c:"), fs::path("/tmp"));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "dosdevices" / "z:"));
  ::unsetenv("ZERURUD_PREFIX");
}

TEST(Prefix, DefaultsToZerurudInHome) {
  TempDir home;
  const char* oldHome = std::getenv("HOME");
  const std::string saved = oldHome ? oldHome : "";
  ::unsetenv("ZERURUD_PREFIX");
  ::setenv("HOME", home.path().c_str(), 1);
  EXPECT_EQ(win::PrefixRoot(), home.path() / ".zerurud");
  EXPECT_TRUE(fs::exists(home.path() / ".zerurud" / "system.reg"));
  ::setenv("HOME", saved.c_str(), 1);
}
