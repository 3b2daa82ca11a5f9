// The bad-account log reader: any file taken back either raises the reader's
// error with the log under its old name, or yields the entries of its lines;
// each entry, written out again with the log's own writer, reads back the same.
#include <string>
#include <vector>

#include "fuzz/support/fuzz_support.h"
#include "fuzz/support/quiet_main_view.h"
#include "platform/files.h"
#include "platform/stringlist.h"
#include "splitter/engine/bad_account_log.h"
#include "splitter/engine/main_form/main.h"

namespace {

using splitter::Tform_Main;

constexpr const char* kLog = "C:\\fuzz\\SPLITW.LOG";
constexpr const char* kTempFile = "C:\\fuzz\\SPLITW.$$$";

struct TTaken {
  std::vector<std::string> Accounts;
  std::vector<std::string> Files;
};

// Takes the log back into a fresh run; nothing when the reader raised.
std::optional<TTaken> TakeBack(bool answer) {
  fuzz::TQuietMainView view;
  view.Answer = answer;
  Tform_Main form(view);
  win::TStringList files;
  win::TStringList accounts;
  form.WrittenFiles = &files;
  form.WrittenAccounts = &accounts;
  form.BadAcctFile = kLog;
  form.TempFile = kTempFile;
  try {
    form.ReloadBadAccountLog(kLog);
  } catch (const win::Exception&) {
    fuzz::Check(win::FileExists(kLog), "a log that was not taken back lost its name");
    return std::nullopt;
  }
  fuzz::Check(files.Count() == accounts.Count(), "the two lists differ in length");
  TTaken taken;
  for (int i = 0; i < files.Count(); ++i) {
    fuzz::Check(files.Objects(i) == Tform_Main::kTakenBackMark, "an entry without the mark");
    taken.Accounts.push_back(accounts[i]);
    taken.Files.push_back(files[i]);
  }
  return taken;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path folder = fuzz::MachineDriveC() / "fuzz";
  fuzz::EmptyFolder(folder);
  fuzz::TInput input(data, size);
  const bool answer = input.Bit();
  const std::string_view text = input.Rest();
  fuzz::WriteHostFile(folder / "SPLITW.LOG", text);
  // One entry's file exists, so that both ways of an entry are taken.
  fuzz::WriteHostFile(folder / "A.DAT", "pages");

  fuzz::Check(Tform_Main::IsBadAccountLog(kLog) ==
                  splitter::StartsWithBadAccountLogHeader(text.substr(0, 1024)),
              "the log test disagrees with the header test");
  const std::optional<TTaken> taken = TakeBack(answer);
  if (!taken) return 0;

  // Every entry taken, written again with the writer, reads back the same.
  for (std::size_t i = 0; i < taken->Files.size(); ++i) {
    std::string line = splitter::FormatBadAccountEntry(taken->Accounts[i], taken->Files[i]);
    fuzz::Check(line.ends_with("\r\n"), "an entry without its line end");
    line.resize(line.size() - 2);
    const std::optional<splitter::TBadAccountEntry> entry = splitter::ParseBadAccountEntry(line);
    fuzz::Check(entry && entry->AccountId == taken->Accounts[i] && entry->File == taken->Files[i],
                "the entry of " + taken->Accounts[i] + " " + taken->Files[i] + " reads back as " +
                    (entry ? entry->AccountId + " " + entry->File : std::string("nothing")));
  }
  return 0;
}
