#include "splitter/ui/cleanup.h"

#include <cmath>
#include <utility>

#include "platform/error.h"
#include "platform/files.h"
#include "platform/path.h"
#include "platform/search.h"

namespace splitter {

namespace {

// Closes a search on every way out of its loop.
class TSearchGuard {
 public:
  explicit TSearchGuard(win::TSearchRec& found) : FFound(found) {}
  ~TSearchGuard() { win::FindClose(FFound); }
  TSearchGuard(const TSearchGuard&) = delete;
  TSearchGuard& operator=(const TSearchGuard&) = delete;

 private:
  win::TSearchRec& FFound;
};

}  // namespace

TFileCleanUp::TFileCleanUp(TKeptFiles kept, TClock now)
    : FKept(std::move(kept)), FNow(std::move(now)) {}

void TFileCleanUp::CleanUpProcessedFile(const std::string& processedFile,
                                        const std::string& productFolder, bool deleteOrigFiles,
                                        double numberOfDays) const {
  const std::string folder = win::ExtractFilePath(processedFile);
  if (deleteOrigFiles) {
    if (numberOfDays == 0) {
      Erase(processedFile);
    } else {
      DeleteOlderThan("*.RUZ", folder, numberOfDays);
      DeleteOlderThan("*.DAT", folder, numberOfDays);
      DeleteOlderThan("*.QUE", folder, numberOfDays);
    }
  }
  DeleteOlderThan("*.DAT", folder, 0);
  DeleteMatching("*.BAK", productFolder);
  DeleteMatching("*.BAK", folder);
  DeleteMatching("*.$$$", folder);
  DeleteMatching("*.$$$", productFolder);
}

void TFileCleanUp::CleanUpProductFolder(const std::string& productFolder) const {
  DeleteMatching("*.BAK", productFolder);
  DeleteMatching("*.DAT", productFolder);
}

void TFileCleanUp::DeleteMatching(const std::string& mask, const std::string& folder) const {
  DeleteFound(mask, folder, std::nullopt);
}

void TFileCleanUp::DeleteOlderThan(const std::string& mask, const std::string& folder,
                                   double days) const {
  DeleteFound(mask, folder, days);
}

void TFileCleanUp::Erase(const std::string& path) const {
  if (FKept.Contains(path)) return;
  if (!win::DeleteFile(path)) {
    const win::DWORD code = win::GetLastError();
    throw win::EInOutError("Cannot delete file \"" + path + "\". " + win::SysErrorMessage(code),
                           code);
  }
}

void TFileCleanUp::DeleteFound(const std::string& mask, const std::string& folder,
                               std::optional<double> days) const {
  if (folder.empty()) return;
  win::TSearchRec found;
  if (win::FindFirst(folder + mask, win::faAnyFile, found) != 0) return;
  TSearchGuard guard(found);
  do {
    if (!days || std::fabs(FNow() - found.Time) > *days) Erase(folder + found.Name);
  } while (win::FindNext(found) == 0);
}

}  // namespace splitter
