#include "platform/computername.h"

#include <unistd.h>

#include <cctype>
#include <string>

#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/support/temp_prefix.h"

namespace {

constexpr const char* kKey = "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName";

std::string ExpectedHostName() {
  char host[256] = {};
  EXPECT_EQ(::gethostname(host, sizeof host - 1), 0);
  std::string name(host);
  name = name.substr(0, name.find('.')).substr(0, 15);
  return win::UpperCase(name);
}

TEST(ComputerName, FromTheHiveWhenSet) {
  testing_support::TempPrefix prefix;
  win::TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(kKey, true));
  registry.WriteString("ComputerName", "PC1");
  std::string name;
  ASSERT_TRUE(win::GetComputerName(name, 256));
  EXPECT_EQ(name, "PC1");
}

TEST(ComputerName, FromTheHostWhenTheHiveHasNoText) {
  testing_support::TempPrefix prefix;
  std::string name;
  ASSERT_TRUE(win::GetComputerName(name, 256));
  EXPECT_EQ(name, ExpectedHostName());
  EXPECT_LE(name.size(), 15u);

  win::TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(kKey, true));
  registry.WriteInteger("ComputerName", 7);
  ASSERT_TRUE(win::GetComputerName(name, 256));
  EXPECT_EQ(name, ExpectedHostName()) << "a value that is no text is ignored";
}

TEST(ComputerName, NameMustFitTheBufferWithItsTerminator) {
  testing_support::TempPrefix prefix;
  win::TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(kKey, true));
  registry.WriteString("ComputerName", "ABCDEF");
  std::string name = "untouched";
  EXPECT_FALSE(win::GetComputerName(name, 6));
  EXPECT_EQ(win::GetLastError(), win::ERROR_BUFFER_OVERFLOW);
  EXPECT_EQ(name, "untouched");
  ASSERT_TRUE(win::GetComputerName(name, 7));
  EXPECT_EQ(name, "ABCDEF");
}

}  // namespace
