// The account checks of an AP run against the product's database, and the
// one configuration value the splitter sets before printing.
#include <optional>
#include <string>

#include "common/product.h"
#include "platform/db.h"
#include "platform/stringlist.h"
#include "platform/text.h"
#include "splitter/engine/main_form/main.h"
#include "splitter/engine/settings.h"

namespace splitter {

namespace {

constexpr const char* kCannotCrossCheck =
    "The account files could not be opened for cross-checking.  Continue anyway?";
constexpr const char* kSplitAborted = "Split processing aborted.";

}  // namespace

bool Tform_Main::OpenAccountTables() {
  // The form binds its queries to the program's connection at design time.
  tblAccounts.Connection = Database;
  tblAccounts.SQL = "SELECT * FROM VEZAcnts;";
  tblAcctForms.Connection = Database;
  tblAcctForms.SQL = "SELECT * FROM AccForms;";
  tblUserAccts.Connection = Database;
  tblUserAccts.SQL = "SELECT * FROM UserAcct;";
  try {
    tblAccounts.Open();
    tblAcctForms.Open();
    tblUserAccts.Open();
  } catch (const win::Exception&) {
    return false;
  }
  return true;
}

void Tform_Main::CloseAccountTables() {
  tblAccounts.Close();
  tblAcctForms.Close();
  tblUserAccts.Close();
}

bool Tform_Main::CheckAccounts() {
  FAccountCheckAborted = false;
  try {
    if (OpenAccountTables()) {
      CheckEveryAccount();
    } else if (!FView.Confirm(kCannotCrossCheck, TConfirmButtons::YesNo)) {
      AbortSplit();
    }
  } catch (...) {
    CloseAccountTables();
    throw;
  }
  CloseAccountTables();
  if (WrittenAccounts->Count() == 0 && !FAccountCheckAborted) {
    FView.ShowInformation("No accounts are available for printing.");
    AbortSplit();
  }
  return !FAccountCheckAborted;
}

void Tform_Main::CheckEveryAccount() {
  // A rejected entry that is set aside leaves the lists, so the next one
  // moves down to the same index.
  int i = 0;
  while (i < WrittenAccounts->Count()) {
    const std::string message = CheckAccount(win::UpperCase((*WrittenAccounts)[i]));
    if (message.empty()) {
      ++i;
    } else if (HandleBadAcct == kBadAccountContinue) {
      MoveToBadFile(i);
    } else if (HandleBadAcct == kBadAccountAbort) {
      AbortSplit();
      FView.ShowInformation(message + " " + kSplitAborted);
      return;
    } else if (FView.Confirm(message + "  Continue processing?", TConfirmButtons::YesCancel) &&
               FView.Confirm("Are you sure you want to continue?", TConfirmButtons::YesNo)) {
      MoveToBadFile(i);
    } else {
      AbortSplit();
      FView.ShowInformation(kSplitAborted);
      return;
    }
  }
}

std::string Tform_Main::CheckAccount(const std::string& accountId) {
  if (win::Trim(accountId).empty()) return "Items were found without an associated account ID.";
  if (!tblAccounts.Locate(common::kAccountsIdColumn, {accountId})) {
    return "The Account ID [" + accountId + "] does not exist.";
  }
  const std::string keyFields = std::string(common::kAccountFormsIdColumn) + ";" +
                                std::string(common::kAccountFormsActionColumn);
  if (!tblAcctForms.Locate(keyFields, {accountId, ActionCode(Action)})) {
    return "The account " + accountId + " does not have an assigned " + "document definition for " +
           DocumentKindName(Action) + ".";
  }
  return "";
}

std::string Tform_Main::ActionCode(const std::string& action) {
  if (const std::optional<int> number = win::TryStrToInt(action)) {
    if (*number == 2) return "PR";
    if (*number == 3) return "OT";
    return "AP";
  }
  const std::string code = win::UpperCase(action);
  if (code == "PR" || code == "OT") return code;
  return "AP";
}

std::string Tform_Main::DocumentKindName(const std::string& action) {
  const std::string code = ActionCode(action);
  if (code == "PR") return "Payroll";
  if (code == "OT") return "Other forms";
  return "Accounts Payable";
}

void Tform_Main::SetConfigurationValue(const std::string& value, const std::string& identifier) {
  if (Database == nullptr) throw win::EDatabaseError("The database connection is not open");
  // Both texts are escaped, so neither can change the statement; the fixed
  // texts the splitter sends come out unchanged.
  const std::string quotedIdentifier = Database->EscapeString(identifier);
  win::TZQuery query(Database);
  query.SQL = "SELECT * FROM configuration WHERE identifier='" + quotedIdentifier + "';";
  query.Open();
  const std::string current = query.FieldByName(common::kConfigurationDataColumn);
  query.Close();
  if (current == value) return;
  query.SQL = "UPDATE configuration SET data='" + Database->EscapeString(value) +
              "' WHERE Identifier='" + quotedIdentifier + "';";
  query.ExecSQL();
}

}  // namespace splitter
