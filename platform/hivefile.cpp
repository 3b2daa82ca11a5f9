#include "platform/hivefile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/env.h"

namespace win {

namespace {

class TLockFile {
 public:
  explicit TLockFile(const std::filesystem::path& file) {
    const std::filesystem::path lock = file.string() + ".lock";
    FDescriptor = ::open(lock.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (FDescriptor < 0) {
      FailFromErrno();
      throw Exception("Cannot lock the registry file " + file.string() + ": " +
                      SysErrorMessage(GetLastError()));
    }
    while (::flock(FDescriptor, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~TLockFile() { ::close(FDescriptor); }
  TLockFile(const TLockFile&) = delete;
  TLockFile& operator=(const TLockFile&) = delete;

 private:
  int FDescriptor;
};

}  // namespace

THive LoadHive(const std::filesystem::path& file) {
  std::string text;
  if (!Env().ReadFile(file, text)) {
    const DWORD code = GetLastError();
    if (IsNotFound(code)) return THive();
    throw Exception("Cannot read the registry file " + file.string() + ": " +
                    SysErrorMessage(code));
  }
  return THive::Parse(text, file.string());
}

void UpdateHive(const std::filesystem::path& file, const std::function<bool(THive&)>& change) {
  const TLockFile lock(file);
  THive hive = LoadHive(file);
  if (!change(hive)) return;
  if (!Env().WriteFileAtomic(file, hive.Serialise())) {
    const DWORD code = GetLastError();
    throw Exception("Cannot write the registry file " + file.string() + ": " +
                    SysErrorMessage(code));
  }
}

}  // namespace win
