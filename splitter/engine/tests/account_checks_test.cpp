#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/db.h"
#include "splitter/engine/bad_account_log.h"
#include "splitter/engine/settings.h"
#include "splitter/engine/tests/engine_fixture.h"
#include "splitter/engine/tests/splitter_login.h"
#include "splitter/engine/utilities.h"
#include "tests/support/test_database.h"

namespace splitter {

namespace {

using namespace testing_support::test_database;

// A processing window whose AP run split three accounts into C:\Jobs, checked
// against the test server through the splitter's own login. The accounts are
// this process's own: A and C are valid for AP, B is missing from VEZAcnts.
class AccountChecks : public EngineTest {
 protected:
  void SetUp() override {
    if (!HaveServer()) GTEST_SKIP() << kNoServer;
    UseRoot(FRoot);
    FRoot.Connect();
    const std::string suffix = UniqueSuffix();
    FValidA = "A" + suffix;
    FMissingB = "B" + suffix;
    FValidC = "C" + suffix;
    FPayrollOnly = "P" + suffix;
    for (const std::string& id : {FValidA, FValidC}) AddAccount(id, "AP");
    AddAccount(FPayrollOnly, "PR");
    UseSplitterLogin(FDb);
    FDb.Connect();

    FForm.Database = &FDb;
    FForm.Action = "AP";
    FForm.BadIDFileName = kDefaultBadIDFileName;
    FForm.BadAcctFile = kDefaultBadAcctFile;
    FForm.TempFile = kDefaultTempFile;
  }
  void TearDown() override {
    if (!FRoot.Connected()) return;
    for (const std::string& id : FAdded) {
      Exec(FRoot, "DELETE FROM AccForms WHERE AccountID='" + id + "'");
      Exec(FRoot, "DELETE FROM VEZAcnts WHERE AccountId='" + id + "'");
    }
  }

  void AddAccount(const std::string& id, const std::string& action) {
    FAdded.push_back(id);
    Exec(FRoot, "INSERT INTO VEZAcnts (AccountId) VALUES ('" + id + "')");
    Exec(FRoot, "INSERT INTO AccForms (AccountID, Action) VALUES ('" + id + "', '" + action + "')");
  }

  // One split file per account, C:\Jobs\tl-x000.DAT and on, as the split
  // records them.
  void SplitInto(const std::vector<std::string>& accounts) {
    for (std::size_t i = 0; i < accounts.size(); ++i) {
      const std::string file = "C:\\Jobs\\tl-x00" + std::to_string(i) + ".DAT";
      WriteFile(file, "pages of " + accounts[i] + "\r\n");
      FWrittenFiles.Add(file);
      FWrittenAccounts.Add(accounts[i]);
    }
  }
  void SplitThree() { SplitInto({FValidA, FMissingB, FValidC}); }
  bool Exists(const std::string& windowsPath) const {
    return std::filesystem::exists(HostPath(windowsPath));
  }
  std::string MissingMessage() const {
    return "The Account ID [" + FMissingB + "] does not exist.";
  }
  void ExpectRunAborted(const Tform_Main& form, const char* why) {
    EXPECT_EQ(form.Step, 8) << why;
    EXPECT_TRUE(FWrittenFiles.Count() == 0 && FWrittenAccounts.Count() == 0) << why;
    for (int i = 0; i < 3; ++i) {
      EXPECT_FALSE(Exists("C:\\Jobs\\tl-x00" + std::to_string(i) + ".DAT")) << why << " " << i;
    }
  }

  win::TZConnection FRoot;
  win::TZConnection FDb;
  std::vector<std::string> FAdded;
  std::string FValidA, FMissingB, FValidC, FPayrollOnly;
};

TEST_F(AccountChecks, ContinueSetsTheMissingAccountAside) {
  FForm.HandleBadAcct = kBadAccountContinue;
  SplitThree();
  EXPECT_TRUE(FForm.CheckAccounts());

  EXPECT_EQ(Entries(FWrittenAccounts), (std::vector<std::string>{FValidA, FValidC}));
  EXPECT_EQ(Entries(FWrittenFiles),
            (std::vector<std::string>{"C:\\Jobs\\tl-x000.DAT", "C:\\Jobs\\tl-x002.DAT"}));
  EXPECT_FALSE(Exists("C:\\Jobs\\tl-x001.DAT"));
  EXPECT_EQ(ReadFile("C:\\Jobs\\SPLIT000.BAD"), "pages of " + FMissingB + "\r\n");
  const std::string log = ReadFile("C:\\SPLITW.LOG");
  ASSERT_TRUE(StartsWithBadAccountLogHeader(log));
  EXPECT_NE(log.find("\r\n" + PadToWidth(FMissingB, 11) + "C:\\Jobs\\SPLIT000.BAD\r\n"),
            std::string::npos)
      << log;
  EXPECT_EQ(FView.Informations,
            std::vector<std::string>{"The information for account " + FMissingB +
                                     " is now located in the file C:\\Jobs\\SPLIT000.BAD, and may"
                                     " be printed by selecting SPLITW.LOG."});
  EXPECT_TRUE(FView.Confirmations.empty());
  EXPECT_NE(FForm.Step, 8);
}

TEST_F(AccountChecks, AbortDeletesEverySplitFile) {
  FForm.HandleBadAcct = kBadAccountAbort;
  SplitThree();
  EXPECT_FALSE(FForm.CheckAccounts());
  EXPECT_EQ(FView.Informations,
            std::vector<std::string>{MissingMessage() + " Split processing aborted."});
  ExpectRunAborted(FForm, "abort mode");
  EXPECT_FALSE(Exists("C:\\SPLITW.LOG"));
}

TEST_F(AccountChecks, AskModeFollowsTheAnswers) {
  struct Case {
    const char* why;
    std::deque<bool> answers;
    bool printable;
  };
  const Case cases[] = {
      {"Yes, then Yes: set aside, and C is checked", {true, true}, true},
      {"Cancel", {false}, false},
      {"Yes, then No", {true, false}, false},
  };
  for (const Case& c : cases) {
    TFakeMainView view;
    Tform_Main form(view);
    form.Database = &FDb;
    form.Action = "AP";
    form.HandleBadAcct = kBadAccountAsk;
    form.BadIDFileName = kDefaultBadIDFileName;
    form.BadAcctFile = kDefaultBadAcctFile;
    form.WrittenFiles = &FWrittenFiles;
    form.WrittenAccounts = &FWrittenAccounts;
    FWrittenFiles.Clear();
    FWrittenAccounts.Clear();
    SplitThree();
    view.ConfirmAnswers = c.answers;

    EXPECT_EQ(form.CheckAccounts(), c.printable) << c.why;
    const std::vector<std::string> questions = {MissingMessage() + "  Continue processing?",
                                                "Are you sure you want to continue?"};
    const std::vector<TConfirmButtons> buttons = {TConfirmButtons::YesCancel,
                                                  TConfirmButtons::YesNo};
    EXPECT_EQ(view.Confirmations,
              std::vector<std::string>(questions.begin(), questions.begin() + c.answers.size()))
        << c.why;
    EXPECT_EQ(view.ConfirmButtonsSeen,
              std::vector<TConfirmButtons>(buttons.begin(), buttons.begin() + c.answers.size()))
        << c.why;
    if (c.printable) {
      EXPECT_EQ(Entries(FWrittenAccounts), (std::vector<std::string>{FValidA, FValidC})) << c.why;
      EXPECT_TRUE(Exists("C:\\Jobs\\SPLIT000.BAD")) << c.why;
    } else {
      EXPECT_EQ(view.Informations, std::vector<std::string>{"Split processing aborted."}) << c.why;
      ExpectRunAborted(form, c.why);
    }
    EXPECT_TRUE(view.Warnings.empty()) << c.why;
  }
}

// What each kind of rejection says; the one account is checked in abort
// mode, so the message shows with " Split processing aborted." after it.
TEST_F(AccountChecks, RejectionMessages) {
  struct Case {
    std::string recorded;
    std::string message;  // empty: the account passes
  };
  const Case cases[] = {
      {FValidA, ""},
      // Recorded in lower case through AccountCodes: looked up in upper case.
      {"a" + FValidA.substr(1), ""},
      {" \t", "Items were found without an associated account ID."},
      {FMissingB, "The Account ID [" + FMissingB + "] does not exist."},
      {FPayrollOnly, "The account " + FPayrollOnly +
                         " does not have an assigned document definition for Accounts Payable."},
  };
  for (const Case& c : cases) {
    TFakeMainView view;
    Tform_Main form(view);
    form.Database = &FDb;
    form.Action = "ap";
    form.HandleBadAcct = kBadAccountAbort;
    form.WrittenFiles = &FWrittenFiles;
    form.WrittenAccounts = &FWrittenAccounts;
    FWrittenFiles.Clear();
    FWrittenAccounts.Clear();
    SplitInto({c.recorded});

    const bool printable = form.CheckAccounts();
    EXPECT_EQ(printable, c.message.empty()) << "[" << c.recorded << "]";
    if (c.message.empty()) {
      EXPECT_TRUE(view.Informations.empty()) << "[" << c.recorded << "]";
    } else {
      EXPECT_EQ(view.Informations,
                std::vector<std::string>{c.message + " Split processing aborted."})
          << "[" << c.recorded << "]";
    }
  }
}

TEST_F(AccountChecks, EveryAccountRejected) {
  FForm.HandleBadAcct = kBadAccountContinue;
  SplitInto({FMissingB, FPayrollOnly});
  EXPECT_FALSE(FForm.CheckAccounts());
  ASSERT_EQ(FView.Informations.size(), 3u);
  EXPECT_EQ(FView.Informations.back(), "No accounts are available for printing.");
  EXPECT_EQ(FForm.Step, 8);
  // Both were set aside before the run gave up, and stay set aside.
  EXPECT_TRUE(Exists("C:\\Jobs\\SPLIT000.BAD"));
  EXPECT_TRUE(Exists("C:\\Jobs\\SPLIT001.BAD"));
}

TEST_F(AccountChecks, NothingToCheck) {
  FForm.HandleBadAcct = kBadAccountContinue;
  EXPECT_FALSE(FForm.CheckAccounts());
  EXPECT_EQ(FView.Informations,
            std::vector<std::string>{"No accounts are available for printing."});
}

// The server goes away under the open connection: the form's own session is
// ended by the server, as when it stops.
TEST_F(AccountChecks, ServerGoneAsksWhetherToPrintUnchecked) {
  for (const bool printUnchecked : {true, false}) {
    win::TZConnection db;
    UseSplitterLogin(db);
    db.Connect();
    Exec(FRoot, "KILL CONNECTION " + ReadOne(db, "SELECT CONNECTION_ID() AS Id", "Id"));
    TFakeMainView view;
    Tform_Main form(view);
    form.Database = &db;
    form.Action = "AP";
    form.HandleBadAcct = kBadAccountAbort;
    form.WrittenFiles = &FWrittenFiles;
    form.WrittenAccounts = &FWrittenAccounts;
    FWrittenFiles.Clear();
    FWrittenAccounts.Clear();
    SplitThree();
    view.ConfirmAnswers = {printUnchecked};

    EXPECT_EQ(form.CheckAccounts(), printUnchecked);
    EXPECT_EQ(view.Confirmations,
              std::vector<std::string>{"The account files could not be opened for "
                                       "cross-checking.  Continue anyway?"});
    EXPECT_EQ(view.ConfirmButtonsSeen, std::vector<TConfirmButtons>{TConfirmButtons::YesNo});
    if (printUnchecked) {
      // Unchecked: the missing account is printed too.
      EXPECT_EQ(Entries(FWrittenAccounts), (std::vector<std::string>{FValidA, FMissingB, FValidC}));
      EXPECT_TRUE(view.Informations.empty());
    } else {
      ExpectRunAborted(form, "No to printing unchecked");
    }
    EXPECT_FALSE(form.tblAccounts.Active());
  }
}

TEST_F(AccountChecks, NoConnectionAsksToo) {
  win::TZConnection neverConnected;
  FForm.Database = &neverConnected;
  FForm.HandleBadAcct = kBadAccountAbort;
  SplitThree();
  FView.ConfirmAnswers = {true};
  EXPECT_TRUE(FForm.CheckAccounts());
  EXPECT_EQ(FWrittenAccounts.Count(), 3);
  EXPECT_EQ(FView.Confirmations.size(), 1u);
}

TEST(ActionCodes, CodeAndNameOfEveryAction) {
  struct Case {
    const char* action;
    const char* code;
    const char* name;
  };
  const Case cases[] = {
      {"AP", "AP", "Accounts Payable"},  {"ap", "AP", "Accounts Payable"},
      {"pr", "PR", "Payroll"},           {"Ot", "OT", "Other forms"},
      {"1", "AP", "Accounts Payable"},   {"2", "PR", "Payroll"},
      {"3", "OT", "Other forms"},        {"0", "AP", "Accounts Payable"},
      {"??", "AP", "Accounts Payable"},  {"", "AP", "Accounts Payable"},
      {"PRX", "AP", "Accounts Payable"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Tform_Main::ActionCode(c.action), c.code) << "[" << c.action << "]";
    EXPECT_EQ(Tform_Main::DocumentKindName(c.action), c.name) << "[" << c.action << "]";
  }
}

// The configuration value, on a row of this process's own.
class ConfigurationValue : public AccountChecks {
 protected:
  void SetUp() override {
    AccountChecks::SetUp();
    if (IsSkipped()) return;
    FSetting = "ChecksTest" + UniqueSuffix();
    Exec(FRoot,
         "INSERT INTO configuration (identifier, data) VALUES ('" + FSetting + "', 'False')");
  }
  void TearDown() override {
    if (FRoot.Connected())
      Exec(FRoot, "DELETE FROM configuration WHERE identifier='" + FSetting + "'");
    AccountChecks::TearDown();
  }
  std::string Data(const std::string& identifier) {
    return ReadOne(FRoot, "SELECT data FROM configuration WHERE identifier='" + identifier + "'",
                   "data");
  }

  std::string FSetting;
};

TEST_F(ConfigurationValue, UpdatesOnlyWhenTheValueDiffers) {
  const int before = UpdatesSent(FDb);
  FForm.SetConfigurationValue("True", FSetting);
  EXPECT_EQ(Data(FSetting), "True");
  EXPECT_EQ(UpdatesSent(FDb), before + 1);

  // Already "True": no UPDATE reaches the server.
  FForm.SetConfigurationValue("True", FSetting);
  EXPECT_EQ(UpdatesSent(FDb), before + 1);

  // Letter case counts.
  FForm.SetConfigurationValue("TRUE", FSetting);
  EXPECT_EQ(Data(FSetting), "TRUE");
  EXPECT_EQ(UpdatesSent(FDb), before + 2);
}

TEST_F(ConfigurationValue, QuotesInTheTextsStayTexts) {
  const std::string value = "it's \\' data'; UPDATE configuration SET data='x";
  FForm.SetConfigurationValue(value, FSetting);
  EXPECT_EQ(Data(FSetting), value);

  // An identifier that would match every row if pasted in matches none.
  const std::string before = Data(FSetting);
  FForm.SetConfigurationValue("Changed", "x' OR '1'='1");
  EXPECT_EQ(Data(FSetting), before);
}

TEST_F(ConfigurationValue, DatabaseErrorsPassOn) {
  win::TZConnection neverConnected;
  FForm.Database = &neverConnected;
  EXPECT_THROW(FForm.SetConfigurationValue("True", FSetting), win::EDatabaseError);
  FForm.Database = nullptr;
  EXPECT_THROW(FForm.SetConfigurationValue("True", FSetting), win::EDatabaseError);
}

}  // namespace

}  // namespace splitter
