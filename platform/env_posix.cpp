// The host's TEnv: Linux system calls.
#include "platform/env_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <fstream>
#include <string>

#include "platform/env.h"
#include "platform/error.h"

namespace win {

namespace {

namespace fs = std::filesystem;

// ---- Descriptors and errors

class TDescriptor {
 public:
  explicit TDescriptor(int fd = -1) : FFd(fd) {}
  ~TDescriptor() { Reset(); }
  TDescriptor(const TDescriptor&) = delete;
  TDescriptor& operator=(const TDescriptor&) = delete;

  int Get() const { return FFd; }
  bool Valid() const { return FFd >= 0; }
  void Reset(int fd = -1) {
    if (FFd >= 0) ::close(FFd);
    FFd = fd;
  }
  int Release() {
    const int fd = FFd;
    FFd = -1;
    return fd;
  }
  // Closes, and says whether the close reported an error.
  bool Close() {
    const int fd = FFd;
    FFd = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int FFd;
};

bool FailWith(int err) { return Fail(WinErrorFromErrno(err)); }

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

// The process's umask, read where the kernel shows it: setting it to learn
// it would give other threads' new files no mask for a moment.
mode_t Umask() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("Umask:"))
      return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

fs::path FolderOf(const fs::path& file) {
  const fs::path parent = file.parent_path();
  return parent.empty() ? fs::path(".") : parent;
}

// ---- Reading

class THostReadableFile : public TReadableFile {
 public:
  THostReadableFile(int fd, std::size_t size) : FFd(fd), FSize(size) {}

  std::size_t Size() const override { return FSize; }

  bool Read(char* buffer, std::size_t size, std::size_t& got) override {
    ssize_t n;
    do {
      n = ::read(FFd.Get(), buffer, size);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return Fail(errno == EIO ? ERROR_READ_FAULT : WinErrorFromErrno(errno));
    got = static_cast<std::size_t>(n);
    return true;
  }

 private:
  TDescriptor FFd;
  std::size_t FSize;
};

// ---- Temporary files beside a target

// Temporaries are named ".<target>.tmp" and six letters or digits, so that
// a later write in the folder knows them.
constexpr std::string_view kTemporaryMark = ".tmp";
constexpr std::size_t kTemporarySuffix = 6;

std::string TemporaryNameFor(const std::string& target) {
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char random[kTemporarySuffix] = {};
  if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
    // Without the random source the time and process still differ between
    // writers; a taken name is tried again anyway.
    const unsigned long seed = static_cast<unsigned long>(::getpid()) ^
                               static_cast<unsigned long>(::time(nullptr)) ^
                               reinterpret_cast<std::uintptr_t>(&random);
    for (std::size_t i = 0; i < kTemporarySuffix; ++i) random[i] = (seed >> (i * 5)) & 0xff;
  }
  std::string name = "." + target + std::string(kTemporaryMark);
  for (const unsigned char byte : random) name += kLetters[byte % (sizeof kLetters - 1)];
  return name;
}

bool IsTemporaryName(std::string_view name) {
  constexpr std::size_t kTail = kTemporaryMark.size() + kTemporarySuffix;
  if (name.size() < 2 + kTail || name[0] != '.') return false;
  if (name.substr(name.size() - kTail, kTemporaryMark.size()) != kTemporaryMark) return false;
  for (const char c : name.substr(name.size() - kTemporarySuffix)) {
    const bool alphanumeric =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    if (!alphanumeric) return false;
  }
  return true;
}

// A writer holds an exclusive lock on its temporary until it has renamed
// it; one that nobody holds was left by a writer that died, and goes.
void RemoveStaleTemporaries(int folder) {
  const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing < 0) return;
  DIR* dir = ::fdopendir(listing);
  if (dir == nullptr) {
    ::close(listing);
    return;
  }
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsTemporaryName(entry->d_name)) continue;
    const TDescriptor file(
        ::openat(folder, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat opened {};
    struct stat named {};
    if (!file.Valid() || ::fstat(file.Get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
        ::flock(file.Get(), LOCK_EX | LOCK_NB) != 0) {
      continue;
    }
    // Only the file that was looked at, should the name have moved on.
    if (::fstatat(folder, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
      ::unlinkat(folder, entry->d_name, 0);
    }
  }
  ::closedir(dir);
}

// A named temporary in `folder`, locked and still linked; its name in `name`.
bool CreateNamedTemporary(int folder, const std::string& target, TDescriptor& file,
                          std::string& name) {
  for (;;) {
    name = TemporaryNameFor(target);
    file.Reset(
        ::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file.Valid()) {
      if (errno == EEXIST) continue;
      return FailWith(errno);
    }
    // A file system without locks has no cleaner either (it needs the lock
    // too); with them, a cleaner that came between the create and the lock
    // took the name, and another is tried.
    struct stat st {};
    if (::flock(file.Get(), LOCK_EX) != 0 || ::fstat(file.Get(), &st) != 0 || st.st_nlink > 0) {
      return true;
    }
  }
}

bool FillAndFlush(int fd, std::string_view data, mode_t mode) {
  if (::fchmod(fd, mode) != 0 || !WriteAll(fd, data) || ::fsync(fd) != 0) return FailWith(errno);
  return true;
}

bool FlushFolder(int folder) {
  // Some file systems cannot flush a folder; the rename stands all the same.
  if (::fsync(folder) != 0 && errno != EINVAL && errno != EROFS) return FailWith(errno);
  return true;
}

// Links the unnamed file `fd` into `folder` as `name`.
bool LinkUnnamed(int fd, int folder, const std::string& name) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  return ::linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// Moves the written file `fd` in `folder` over `target`. An unnamed one is
// first linked under a temporary name, which it keeps only between the two
// calls; `temporary` names a named one.
bool ReplaceWith(int fd, int folder, const std::string& target, std::string temporary) {
  if (temporary.empty()) {
    // The lock on the open file keeps the temporary from looking stale
    // (where there are no locks, nothing removes temporaries).
    ::flock(fd, LOCK_EX);
    for (;;) {
      temporary = TemporaryNameFor(target);
      if (LinkUnnamed(fd, folder, temporary)) break;
      if (errno != EEXIST) return FailWith(errno);
    }
  }
  if (::renameat(folder, temporary.c_str(), folder, target.c_str()) != 0) {
    const int err = errno;
    ::unlinkat(folder, temporary.c_str(), 0);
    return FailWith(err);
  }
  return true;
}

// ---- Starting programs

enum class TFailedStep : int { Identity = 1, Directory, Exec, StandardHandles };

struct TChildFailure {
  TFailedStep Step;
  int Err;
};

constexpr int kExecFailedExitCode = 127;

[[noreturn]] void FailInChild(int reportFd, TFailedStep step, int err, int exitCode) {
  const TChildFailure failure{step, err};
  if (::write(reportFd, &failure, sizeof failure) < 0) {
    // The parent then only sees the exit code.
  }
  ::_exit(exitCode);
}

// Runs between fork and exec, as do the others below: async-signal-safe
// calls only.
bool ChangeIdsInChild(const TProgramStart& start) {
  if (start.Change == TIdChange::Keep) return true;
  // A root caller impersonating someone has to be root again first.
  if (::getuid() == 0 && ::geteuid() != 0 && ::seteuid(0) != 0) return false;
  if (::setgroups(start.Groups.size(), start.Groups.data()) != 0) return false;
  if (start.Change == TIdChange::RestoreOwn) {
    return ::setegid(start.Gid) == 0 && ::seteuid(start.Uid) == 0;
  }
  if (::setgid(start.Gid) != 0 || ::setuid(start.Uid) != 0) return false;
  return ::getuid() == start.Uid && ::geteuid() == start.Uid && ::getgid() == start.Gid &&
         ::getegid() == start.Gid;
}

bool NullStandardHandlesInChild() {
  const int null = ::open("/dev/null", O_RDWR);
  if (null < 0) return false;
  for (int fd = 0; fd <= 2; ++fd) {
    if (fd != null && ::dup2(null, fd) < 0) return false;
  }
  if (null > 2) ::close(null);
  return true;
}

[[noreturn]] void RunChild(const TProgramStart& start, char* const* argv, char* const* envp,
                           int reportFd) {
  if (start.NullStandardHandles && !NullStandardHandlesInChild()) {
    FailInChild(reportFd, TFailedStep::StandardHandles, errno, kExecFailedExitCode);
  }
  if (!start.InheritHandles) {
    if (reportFd > 3) ::close_range(3, static_cast<unsigned>(reportFd) - 1, 0);
    ::close_range(static_cast<unsigned>(reportFd) + 1, ~0u, 0);
  }
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  if (!ChangeIdsInChild(start)) {
    FailInChild(reportFd, TFailedStep::Identity, errno, kIdChangeFailedExitCode);
  }
  if (!start.Directory.empty() && ::chdir(start.Directory.c_str()) != 0) {
    FailInChild(reportFd, TFailedStep::Directory, errno, kExecFailedExitCode);
  }
  ::execve(start.Program.c_str(), argv, envp);
  FailInChild(reportFd, TFailedStep::Exec, errno, kExecFailedExitCode);
}

DWORD CodeOfChildFailure(const TChildFailure& failure) {
  switch (failure.Step) {
    case TFailedStep::Identity:
      return ERROR_PRIVILEGE_NOT_HELD;
    case TFailedStep::Directory:
      return failure.Err == ENOENT || failure.Err == ENOTDIR ? ERROR_DIRECTORY
                                                             : WinErrorFromErrno(failure.Err);
    case TFailedStep::Exec:
      return failure.Err == ENOEXEC ? ERROR_BAD_FORMAT : WinErrorFromErrno(failure.Err);
    case TFailedStep::StandardHandles:
      return WinErrorFromErrno(failure.Err);
  }
  return ERROR_INVALID_FUNCTION;
}

std::vector<char*> PointersTo(const std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (const std::string& text : texts) pointers.push_back(const_cast<char*>(text.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

// ---- The host

class TPosixEnv : public TEnv {
 public:
  bool OpenReadable(const fs::path& file, std::unique_ptr<TReadableFile>& result) override {
    TDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) return FailFromErrnoAt(file);
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) return FailWith(errno);
    if (S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
    const std::size_t size = S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) : 0;
    result = std::make_unique<THostReadableFile>(fd.Release(), size);
    return true;
  }

  bool WriteFileAtomic(const fs::path& file, std::string_view data) override {
    return WriteFileAtomicWith(file, data, TTemporaryKind::Unnamed);
  }

  bool AppendFile(const fs::path& file, std::string_view data) override {
    bool created = false;
    TDescriptor fd(::open(file.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
    if (!fd.Valid() && errno == ENOENT) {
      fd.Reset(::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
      created = fd.Valid();
    }
    if (!fd.Valid()) return FailFromErrnoAt(file);
    if (!WriteAll(fd.Get(), data)) return FailWith(errno);
    // A device (a terminal, /dev/null) has nothing to flush.
    if (::fdatasync(fd.Get()) != 0 && errno != EINVAL && errno != EROFS) return FailWith(errno);
    if (!fd.Close()) return FailWith(errno);
    if (created) {
      const TDescriptor folder(::open(FolderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      if (!folder.Valid()) return FailWith(errno);
      return FlushFolder(folder.Get());
    }
    return true;
  }

  bool CreateFileExclusive(const fs::path& file, std::string_view data) override {
    return CreateFileExclusiveWith(file, data, TTemporaryKind::Unnamed);
  }

  bool ListFolder(const fs::path& folder, std::vector<std::string>& names) override {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return FailFromErrnoAt(folder);
    std::vector<std::string> found;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string_view name = entry->d_name;
      if (name != "." && name != "..") found.emplace_back(name);
    }
    const int err = errno;
    ::closedir(dir);
    if (err != 0) return FailWith(err);
    names = std::move(found);
    return true;
  }

  bool CreateFolderTakingParentRights(const fs::path& folder) override {
    const std::string name = folder.filename().string();
    const TDescriptor parent(::open(FolderOf(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent.Valid()) return Fail(WinErrorFromErrno(errno, errno == ENOENT));
    struct stat parentStat {};
    if (::fstat(parent.Get(), &parentStat) != 0) return FailWith(errno);
    // Made for the creator alone, so that nobody may use it before it has
    // its rights.
    constexpr mode_t kCreatorOnly = 0700;
    if (::mkdirat(parent.Get(), name.c_str(), kCreatorOnly) != 0) {
      return Fail(WinErrorFromErrno(errno, errno == ENOENT));
    }
    const TDescriptor made(
        ::openat(parent.Get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    // Anything else under the name (a link, a folder someone moved there) is
    // not the folder just made and keeps its rights.
    if (!made.Valid() || ::fstat(made.Get(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        st.st_uid != ::geteuid() || st.st_nlink != 2 ||
        (st.st_mode & 0777) != (kCreatorOnly & ~Umask())) {
      return Fail(ERROR_ACCESS_DENIED);
    }
    if (st.st_gid != parentStat.st_gid &&
        ::fchown(made.Get(), static_cast<uid_t>(-1), parentStat.st_gid) != 0) {
      return FailWith(errno);
    }
    if (::fchmod(made.Get(), parentStat.st_mode & 07777) != 0) return FailWith(errno);
    return FlushFolder(parent.Get());
  }

  bool StartProgram(const TProgramStart& start, TStartedProgram& started) override {
    const std::vector<char*> argv = PointersTo(start.Argv);
    const std::vector<char*> envp = PointersTo(start.Environment);
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return FailWith(errno);
    // The child keeps this descriptor through the closing of all others, so
    // it must lie above the standard ones.
    if (report[1] < 3) {
      const int moved = ::fcntl(report[1], F_DUPFD_CLOEXEC, 3);
      const int err = errno;
      ::close(report[1]);
      report[1] = moved;
      if (moved < 0) {
        ::close(report[0]);
        return FailWith(err);
      }
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
      const int err = errno;
      ::close(report[0]);
      ::close(report[1]);
      return FailWith(err);
    }
    if (pid == 0) RunChild(start, argv.data(), envp.data(), report[1]);

    ::close(report[1]);
    TChildFailure failure{};
    ssize_t got;
    do {
      got = ::read(report[0], &failure, sizeof failure);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got > 0) {
      int status = 0;
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      return Fail(got == sizeof failure ? CodeOfChildFailure(failure) : ERROR_INVALID_FUNCTION);
    }
    started.Pid = pid;
    started.PidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    return true;
  }
};

// What the target is now: replaced files keep their bits, new ones get 0666
// less the umask.
bool TargetMode(const fs::path& file, mode_t& mode, bool& exists) {
  struct stat st {};
  exists = false;
  mode = 0666 & ~Umask();
  if (::stat(file.c_str(), &st) != 0) return errno == ENOENT || FailFromErrnoAt(file);
  if (S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  // Writing a file one may not write must fail even where the folder would
  // allow the rename; the effective ids count, since callers impersonate.
  if (::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0) return Fail(ERROR_ACCESS_DENIED);
  mode = st.st_mode & 07777;
  exists = true;
  return true;
}

bool OpenFolderOf(const fs::path& file, TDescriptor& folder) {
  folder.Reset(::open(FolderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.Valid()) return Fail(WinErrorFromErrno(errno, errno == ENOENT));
  return true;
}

// An unnamed file in `folder`, or an invalid descriptor when the file system
// has none, or no /proc to link it through (errno is then 0), or the open
// failed (errno says why).
int OpenUnnamed(int folder) {
  static const bool canLink = ::access("/proc/self/fd", F_OK) == 0;
  if (!canLink) {
    errno = 0;
    return -1;
  }
  const int fd = ::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) errno = 0;
  return fd;
}

// The file to write: unnamed where it can be, else a named temporary (whose
// name is then in `temporary`).
bool OpenTemporary(int folder, const fs::path& file, TTemporaryKind kind, TDescriptor& fd,
                   std::string& temporary) {
  if (kind == TTemporaryKind::Unnamed) {
    fd.Reset(OpenUnnamed(folder));
    if (fd.Valid()) return true;
    if (errno != 0) return FailFromErrnoAt(file);
  }
  RemoveStaleTemporaries(folder);
  return CreateNamedTemporary(folder, file.filename().string(), fd, temporary);
}

}  // namespace

bool FailFromErrnoAt(const fs::path& file) {
  const int err = errno;
  struct stat st {};
  const fs::path parent = file.parent_path();
  const bool folderMissing =
      err == ENOENT && ::stat(parent.empty() ? "." : parent.c_str(), &st) != 0;
  return Fail(WinErrorFromErrno(err, folderMissing));
}

TEnv* TEnv::Default() {
  static TPosixEnv* host = new TPosixEnv;
  return host;
}

bool WriteFileAtomicWith(const fs::path& file, std::string_view data, TTemporaryKind kind) {
  mode_t mode = 0;
  bool exists = false;
  TDescriptor folder;
  TDescriptor fd;
  std::string temporary;
  if (!TargetMode(file, mode, exists) || !OpenFolderOf(file, folder) ||
      !OpenTemporary(folder.Get(), file, kind, fd, temporary)) {
    return false;
  }
  if (!FillAndFlush(fd.Get(), data, mode)) {
    if (!temporary.empty()) ::unlinkat(folder.Get(), temporary.c_str(), 0);
    return false;
  }
  const std::string target = file.filename().string();
  bool placed = false;
  if (temporary.empty() && !exists) {
    // A new file appears under its name in one step, and under no other.
    placed = LinkUnnamed(fd.Get(), folder.Get(), target);
    if (!placed && errno != EEXIST) return FailWith(errno);
  }
  if (!placed) {
    if (temporary.empty()) RemoveStaleTemporaries(folder.Get());
    if (!ReplaceWith(fd.Get(), folder.Get(), target, temporary)) return false;
  }
  return FlushFolder(folder.Get());
}

bool CreateFileExclusiveWith(const fs::path& file, std::string_view data, TTemporaryKind kind) {
  TDescriptor folder;
  TDescriptor fd;
  std::string temporary;
  if (!OpenFolderOf(file, folder) || !OpenTemporary(folder.Get(), file, kind, fd, temporary)) {
    return false;
  }
  const std::string target = file.filename().string();
  bool linked = FillAndFlush(fd.Get(), data, 0666 & ~Umask());
  if (linked) {
    // link() fails when the name is taken, so two creators never both win.
    linked = temporary.empty()
                 ? LinkUnnamed(fd.Get(), folder.Get(), target)
                 : ::linkat(folder.Get(), temporary.c_str(), folder.Get(), target.c_str(), 0) == 0;
    if (!linked) Fail(errno == EEXIST ? ERROR_FILE_EXISTS : WinErrorFromErrno(errno));
  }
  if (!temporary.empty()) ::unlinkat(folder.Get(), temporary.c_str(), 0);
  return linked && FlushFolder(folder.Get());
}

}  // namespace win
