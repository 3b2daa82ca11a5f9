// Splitting: cutting the joined capture text into one batch per account (or
// one batch for the whole job) and writing the split files or the hand-off
// file.
#include <algorithm>
#include <climits>
#include <optional>
#include <string_view>
#include <vector>

#include "common/product.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/path.h"
#include "platform/stringlist.h"
#include "platform/text.h"
#include "splitter/engine/account_pages.h"
#include "splitter/engine/main_form/main.h"
#include "splitter/engine/split_names.h"

namespace splitter {

namespace {

TTextBuffer JoinWithLineEnds(const std::vector<std::string_view>& lines) {
  std::size_t size = 0;
  for (std::string_view line : lines) size += line.size() + 2;
  TTextBuffer bytes;
  bytes.reserve(size);
  for (std::string_view line : lines) {
    bytes.insert(bytes.end(), line.begin(), line.end());
    bytes.push_back('\r');
    bytes.push_back('\n');
  }
  return bytes;
}

void WriteBatchFile(const std::string& path, std::string_view bytes) {
  if (!win::WriteWholeFile(path, bytes)) {
    throw win::EFCreateError("Cannot create file \"" + path + "\". " +
                             win::SysErrorMessage(win::GetLastError()));
  }
}

bool IsKnownAction(const std::string& action) {
  return action == "AP" || action == "PR" || action == "OT";
}

}  // namespace

void Tform_Main::ShowInvalidPageFormat() {
  ShowFinalMessage("Invalid Page Format Found!\rAborting Printing.");
}

void Tform_Main::SplitCaptures() {
  if (SelectedFiles == nullptr) throw win::Exception("No files were selected!");
  if (WrittenFiles == nullptr) throw win::Exception("Written files list not initialialized!");
  if (WrittenAccounts == nullptr) throw win::Exception("Written account list not initialized!");
  // The name up to its first "."; a name without one contributes nothing.
  const std::string name = win::ExtractFileName(CurrentFile);
  const std::size_t dot = name.find('.');
  OutputTemplate = (dot == std::string::npos ? std::string() : name.substr(0, dot)) + "???.DAT";
  LastOutputName.clear();
  FSplitFilesMade = 0;
  LoadCaptures();

  TAccountPages pages(FJoinedText);
  while (!pages.Empty()) {
    const std::string passAction = Action;
    std::vector<std::string_view> batch;
    std::string keyLine;
    if (Action == "AP") {
      FView.SetLabelText("Multiple Account Processing...");
      std::optional<std::uint32_t> keyIndex;
      if (AccountLine >= 1) keyIndex = pages.RemainingAt(static_cast<std::size_t>(AccountLine - 1));
      if (keyIndex) keyLine = win::UpperCase(FJoinedText.Line(*keyIndex));
      bool readable = !win::Trim(keyLine).empty();
      if (readable) {
        long long attempts = 0;
        readable = pages.TakeAccount(*keyIndex, NumLines, AccountLine, batch, attempts) ==
                   TAccountPages::TTakeResult::Taken;
        FView.StepProgressBy(static_cast<int>(std::min<long long>(attempts, INT_MAX)));
      }
      // A page the split cannot read (or whose pages it could never finish
      // taking) ends the job: nothing of what is left gets printed.
      if (!readable) {
        batch.clear();
        ShowInvalidPageFormat();
        pages.DiscardAll();
        Action = "??";
      }
    } else if (Action == "PR" || Action == "OT") {
      FView.SetLabelText(Action + " file found, Processing...");
      pages.TakeAll(batch);
      FView.SetProgressPosition(FProgressMax);
    }

    TTextBuffer bytes = JoinWithLineEnds(batch);
    batch.clear();
    if (EncDec) CipherWithProgress(bytes.data(), bytes.size(), TCipherMode::EncryptForHandOff);
    const std::string_view written(bytes.data(), bytes.size());
    if (Action == "AP") {
      WriteAccountBatch(keyLine, written);
    } else {
      WriteBatchFile(ProductFolder + std::string(common::kHandOffFileName), written);
    }
    if (!IsKnownAction(passAction)) break;
  }
  FJoinedText.Clear();
}

void Tform_Main::WriteAccountBatch(const std::string& keyLine, std::string_view bytes) {
  // Past the counter's last name the names would come round again and a
  // later account's pages would replace an earlier one's file.
  const unsigned long long capacity = FileNameCapacity(OutputTemplate);
  if (capacity != 0 && FSplitFilesMade >= capacity) {
    throw win::Exception("Too many accounts for the split file names " + OutputTemplate);
  }
  ++FSplitFilesMade;
  LastOutputName = NextFileName(LastOutputName, OutputTemplate);
  const std::string path = FOutputFolder + win::ExtractFileName(LastOutputName);
  WriteBatchFile(path, bytes);
  WrittenFiles->Add(path);

  std::string id(win::Trim(win::Copy(keyLine, AccountCol, AccountWidth)));
  if (StripAcctID) id = StripAccountID(id);
  const std::string replacement = AccountCodes ? AccountCodes->Values(id) : std::string();
  WrittenAccounts->Add(replacement.empty() ? id : replacement);
}

}  // namespace splitter
