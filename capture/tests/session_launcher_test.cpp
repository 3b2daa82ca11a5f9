#include "capture/session_launcher.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "tests/support/temp_prefix.h"

namespace {

using TSessions = std::vector<std::pair<std::string, std::string>>;  // id, user name

void SetSessions(const TSessions& sessions) {
  win::TRegistry registry;
  registry.DeleteKey("SOFTWARE\\Zerurud\\Platform\\Sessions");
  ASSERT_TRUE(registry.OpenKey("SOFTWARE\\Zerurud\\Platform\\Sessions", true));
  for (const auto& [id, user] : sessions) registry.WriteString(id, user);
}

void SetProduct(const std::string& type, const std::vector<std::string>& suite) {
  win::TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("SYSTEM\\CurrentControlSet\\Control\\ProductOptions", true));
  registry.WriteString("ProductType", type);
  registry.WriteMultiString("ProductSuite", suite);
}

}  // namespace

TEST(FindUserSession, FirstListedSessionWithExactlyThatName) {
  testing_support::TempPrefix prefix;
  const struct {
    TSessions sessions;
    std::string name;
    std::uint32_t id;
  } cases[] = {
      {{{"0", ""}, {"3", "JSmith"}, {"5", "jsmith"}}, "jsmith", 5},
      {{{"0", ""}, {"3", "JSmith"}, {"5", "jsmith"}}, "JSmith", 3},
      {{{"0", ""}, {"3", "JSmith"}, {"5", "jsmith"}}, "jsmith ", 0},
      {{{"0", ""}, {"3", "JSmith"}, {"5", "jsmith"}}, " jsmith", 0},
      {{{"0", ""}, {"3", "JSmith"}, {"5", "jsmith"}}, "JSMITH", 0},
      // A user logged on twice: the session listed first, not the lowest id.
      {{{"0", "admin"}, {"7", "jsmith"}, {"2", "jsmith"}}, "jsmith", 7},
      // An empty name matches a session nobody is logged on in.
      {{{"0", "admin"}, {"4", "jsmith"}, {"6", ""}, {"8", ""}}, "", 6},
      {{{"0", "admin"}, {"4", "jsmith"}}, "", 0},
      {{}, "jsmith", 0},
  };
  for (const auto& c : cases) {
    SetSessions(c.sessions);
    EXPECT_EQ(capture::FindUserSession(c.name), c.id) << "\"" << c.name << "\"";
  }
}

TEST(ProductType, OnlyAServerCountsAndTheSuiteIsSeparate) {
  testing_support::TempPrefix prefix;
  EXPECT_FALSE(capture::IsServer());
  EXPECT_FALSE(capture::HasTerminalServices());
  const struct {
    const char* type;
    std::vector<std::string> suite;
    bool server;
    bool terminal;
  } cases[] = {
      {"ServerNT", {"Terminal Server"}, true, true},
      {"ServerNT", {"Enterprise", "Terminal Server"}, true, true},
      {"ServerNT", {}, true, false},
      {"LanmanNT", {"Terminal Server"}, false, true},
      {"WinNT", {"Terminal Server"}, false, true},
  };
  for (const auto& c : cases) {
    SetProduct(c.type, c.suite);
    EXPECT_EQ(capture::IsServer(), c.server) << c.type;
    EXPECT_EQ(capture::HasTerminalServices(), c.terminal) << c.type;
  }
}
