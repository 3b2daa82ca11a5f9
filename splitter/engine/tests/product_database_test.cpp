#include "splitter/engine/product_database.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/product.h"
#include "platform/registry.h"
#include "tests/support/refusing_port.h"
#include "tests/support/scoped_variable.h"
#include "tests/support/temp_prefix.h"
#include "tests/support/test_database.h"

namespace splitter {

namespace {

using namespace testing_support::test_database;

class TFakeStartupView : public TStartupView {
 public:
  void ShowMessage(const std::string& message) override { Messages.push_back(message); }
  void Terminate() override {
    // The program ends only after the message has been confirmed.
    EXPECT_FALSE(Messages.empty());
    ++TerminateRequests;
  }

  std::vector<std::string> Messages;
  int TerminateRequests = 0;
};

void WriteProductKey(const std::optional<std::string>& host) {
  win::TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(std::string(common::kProductRegistryKey), true));
  if (host) registry.WriteString(std::string(common::kProductHostValue), *host);
}

bool StartsAndEndsAsAConnectionError(const std::string& message) {
  const std::string start = "Database Connection Error [";
  return message.size() > start.size() + 1 && message.compare(0, start.size(), start) == 0 &&
         message.back() == ']';
}

TEST(ProductDatabase, FixedSettings) {
  win::TZConnection db;
  UseProductDatabaseSettings(db);
  EXPECT_EQ(db.Protocol, "mysql-3.23");
  EXPECT_EQ(db.HostName, "localhost");
  EXPECT_EQ(db.Port, 3306u);
  EXPECT_EQ(db.Database, "dizirozered");
  EXPECT_EQ(db.User, "duredo");
  EXPECT_EQ(db.Password, "7QWRT");
  EXPECT_TRUE(db.AutoCommit);
  EXPECT_TRUE(db.ReadOnly);
  EXPECT_EQ(db.TransactIsolationLevel, win::tiNone);
  EXPECT_FALSE(db.Connected());
}

// Nothing answers at the host the registry names: one message, then the
// request to end the program.
TEST(ProductDatabase, ServerDownAndWhereItWasLookedFor) {
  testing_support::TempPrefix prefix;
  testing_support::TRefusingPort refusing;
  testing_support::TScopedVariable port("ZERURUD_DB_PORT", std::to_string(refusing.Port()));
  testing_support::TScopedVariable socket("ZERURUD_DB_SOCKET",
                                          (prefix.root() / "no-server.sock").string());
  struct Case {
    bool key;
    std::optional<std::string> host;
    std::string hostName;
  };
  const Case cases[] = {
      {false, std::nullopt, "localhost"},
      {true, std::nullopt, ""},
      {true, "127.0.0.1", "127.0.0.1"},
  };
  for (const Case& c : cases) {
    win::TRegistry().DeleteKey(std::string(common::kProductRegistryKey));
    if (c.key) WriteProductKey(c.host);
    win::TZConnection db;
    UseProductDatabaseSettings(db);
    TFakeStartupView view;
    EXPECT_FALSE(ConnectProductDatabase(db, view)) << c.hostName;
    EXPECT_EQ(db.HostName, c.hostName);
    EXPECT_FALSE(db.Connected()) << c.hostName;
    ASSERT_EQ(view.Messages.size(), 1u) << c.hostName;
    EXPECT_TRUE(StartsAndEndsAsAConnectionError(view.Messages[0])) << view.Messages[0];
    EXPECT_EQ(view.TerminateRequests, 1) << c.hostName;
  }
}

TEST(ProductDatabase, ErrorsBeforeTheServerIsReached) {
  testing_support::TempPrefix prefix;
  struct Case {
    const char* why;
    std::optional<std::string> library;
    std::string message;
  };
  const Case cases[] = {
      {"client library missing", "/nonexistent/libmariadb.so.3",
       "Database Connection Error [Cannot load the MySQL client library (/nonexistent/"
       "libmariadb.so.3: cannot open shared object file: No such file or directory)]"},
      {"Host is not text", std::nullopt,
       "Database Connection Error [Invalid data type for 'Host']"},
  };
  for (const Case& c : cases) {
    win::TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(std::string(common::kProductRegistryKey), true));
    if (c.library) {
      registry.WriteString(std::string(common::kProductHostValue), "127.0.0.1");
    } else {
      registry.WriteInteger(std::string(common::kProductHostValue), 1);
    }
    testing_support::TScopedVariable library("ZERURUD_DB_CLIENT_LIBRARY", c.library);
    win::TZConnection db;
    UseProductDatabaseSettings(db);
    TFakeStartupView view;
    EXPECT_FALSE(ConnectProductDatabase(db, view)) << c.why;
    EXPECT_EQ(view.Messages, std::vector<std::string>{c.message}) << c.why;
    EXPECT_EQ(view.TerminateRequests, 1) << c.why;
  }
}

TEST(ProductDatabase, ConnectsAndDisconnects) {
  if (!HaveServer()) GTEST_SKIP() << kNoServer;
  testing_support::TempPrefix prefix;
  // No key: "localhost", the server's own socket. Then the host it names.
  for (const std::optional<std::string>& host : {std::optional<std::string>(), {"127.0.0.1"}}) {
    if (host) WriteProductKey(host);
    win::TZConnection db;
    UseProductDatabaseSettings(db);
    TFakeStartupView view;
    EXPECT_TRUE(ConnectProductDatabase(db, view)) << host.value_or("no key");
    EXPECT_TRUE(view.Messages.empty()) << view.Messages[0];
    EXPECT_EQ(view.TerminateRequests, 0);
    EXPECT_TRUE(db.Connected());
    EXPECT_EQ(ReadOne(db, "SELECT DATABASE() AS Name", "Name"), "dizirozered");
    DisconnectProductDatabase(db);
    EXPECT_FALSE(db.Connected());
  }
}

}  // namespace

}  // namespace splitter
