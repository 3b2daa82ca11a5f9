#include "common/universal_path.h"

#include <string>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/registry.h"
#include "tests/support/temp_prefix.h"

namespace common {

namespace {

TEST(ExpandToUniversalPath, FullAndUniversal) {
  testing_support::TempPrefix prefix;
  {
    win::TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("SOFTWARE\\Zerurud\\Platform\\Network\\Connections", true));
    registry.WriteString("X:", "\\\\srv\\data");
  }
  ASSERT_TRUE(win::SetCurrentDir("C:\\"));
  const std::pair<std::string, std::string> cases[] = {
      // Mapped network drives become universal names, in either letter case
      {"X:\\in\\a.ruz", "\\\\srv\\data\\in\\a.ruz"},
      {"x:\\VEZ\\", "\\\\srv\\data\\VEZ\\"},
      {"X:\\in\\..\\out", "\\\\srv\\data\\out"},
      // Local and unconnected drives stay full paths
      {"C:\\Apps\\VEZ\\", "C:\\Apps\\VEZ\\"},
      {"Q:\\data", "Q:\\data"},
      {"jobs\\.\\a.ruz", "C:\\jobs\\a.ruz"},
      // UNC paths stay as they are expanded
      {"\\\\srv\\data\\in\\..\\a.ruz", "\\\\srv\\data\\a.ruz"},
      // Blanks belong to the path
      {"C:\\Program Files\\VEZ -Q", "C:\\Program Files\\VEZ -Q"},
      // A path that cannot be made full is kept as given
      {"C:\\" + std::string(300, 'a'), "C:\\" + std::string(300, 'a')},
  };
  for (const auto& [path, expanded] : cases) {
    EXPECT_EQ(ExpandToUniversalPath(path), expanded) << path;
  }
}

}  // namespace

}  // namespace common
