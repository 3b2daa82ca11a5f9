#include "platform/process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/cmdline.h"
#include "platform/files.h"
#include "platform/path.h"

extern char** environ;

namespace win {

namespace {

namespace fs = std::filesystem;

constexpr int kExecFailedExitCode = 127;
// The exit code recorded for a child that someone else reaped first.
constexpr DWORD kExitCodeUnknown = 0xFFFFFFFF;

// ---- Process objects

DWORD ExitCodeFromStatus(int status) {
  if (WIFEXITED(status)) return static_cast<DWORD>(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return 128 + static_cast<DWORD>(WTERMSIG(status));
  return kExitCodeUnknown;
}

class TProcessObject : public TKernelObject {
 public:
  // `pidFd` may be -1 where the host has no process descriptors; waits then
  // poll the child.
  TProcessObject(pid_t pid, int pidFd) : FPid(pid), FPidFd(pidFd) {}
  ~TProcessObject() override;

  DWORD Wait(DWORD milliseconds);
  DWORD ExitCode() {
    TryReap();
    return FExitCode;
  }

 private:
  bool TryReap();

  pid_t FPid;
  int FPidFd;
  bool FEnded = false;
  DWORD FExitCode = STILL_ACTIVE;
};

TProcessObject::~TProcessObject() {
  if (!TryReap()) {
    try {
      std::thread([pid = FPid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
      }).detach();
    } catch (const std::system_error&) {
      // Without a thread the child stays a zombie until this process ends.
    }
  }
  if (FPidFd >= 0) ::close(FPidFd);
}

bool TProcessObject::TryReap() {
  if (FEnded) return true;
  int status = 0;
  pid_t reaped;
  do {
    reaped = ::waitpid(FPid, &status, WNOHANG);
  } while (reaped < 0 && errno == EINTR);
  if (reaped == 0) return false;
  FEnded = true;
  FExitCode = reaped == FPid ? ExitCodeFromStatus(status) : kExitCodeUnknown;
  return true;
}

DWORD TProcessObject::Wait(DWORD milliseconds) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    if (TryReap()) return WAIT_OBJECT_0;
    int timeout = -1;
    if (milliseconds != INFINITE) {
      const auto left =
          std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return WAIT_TIMEOUT;
      timeout = static_cast<int>(std::min<long long>(left, INT_MAX));
    }
    if (FPidFd < 0) {
      const timespec slice{0, 1000000};
      ::nanosleep(&slice, nullptr);
      continue;
    }
    pollfd ended{FPidFd, POLLIN, 0};
    if (::poll(&ended, 1, timeout) < 0 && errno != EINTR) {
      FailFromErrno();
      return WAIT_FAILED;
    }
  }
}

// ---- Starting a child

// How the child's ids change before the exec.
enum class TIdentityChange {
  Keep,
  RestoreOwn,   // back to the effective ids from before an impersonation
  TakeOnToken,  // all ids become the token's
};

struct TLaunch {
  fs::path Program;
  std::vector<std::string> Argv;
  fs::path Directory;  // empty: the caller's
  bool InheritHandles = false;
  TIdentityChange Change = TIdentityChange::Keep;
  TProcessIds Ids{};
  std::vector<std::string> Environment;
};

enum class TFailedStep : int { Identity = 1, Directory, Exec };

struct TChildFailure {
  TFailedStep Step;
  int Err;
};

[[noreturn]] void FailInChild(int reportFd, TFailedStep step, int err, int exitCode) {
  const TChildFailure failure{step, err};
  if (::write(reportFd, &failure, sizeof failure) < 0) {
    // The parent then only sees the exit code.
  }
  ::_exit(exitCode);
}

// Runs between fork and exec: async-signal-safe calls only.
bool ChangeIdsInChild(const TLaunch& launch) {
  if (launch.Change == TIdentityChange::Keep) return true;
  const TProcessIds& ids = launch.Ids;
  // A root caller impersonating someone has to be root again first.
  if (::getuid() == 0 && ::geteuid() != 0 && ::seteuid(0) != 0) return false;
  if (::setgroups(ids.Groups.size(), ids.Groups.data()) != 0) return false;
  if (launch.Change == TIdentityChange::RestoreOwn) {
    return ::setegid(ids.Gid) == 0 && ::seteuid(ids.Uid) == 0;
  }
  if (::setgid(ids.Gid) != 0 || ::setuid(ids.Uid) != 0) return false;
  return ::getuid() == ids.Uid && ::geteuid() == ids.Uid && ::getgid() == ids.Gid &&
         ::getegid() == ids.Gid;
}

[[noreturn]] void RunChild(const TLaunch& launch, char* const* argv, char* const* envp,
                           int reportFd) {
  if (!launch.InheritHandles) {
    if (reportFd > 3) ::close_range(3, static_cast<unsigned>(reportFd) - 1, 0);
    ::close_range(static_cast<unsigned>(reportFd) + 1, ~0u, 0);
  }
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  if (!ChangeIdsInChild(launch)) {
    FailInChild(reportFd, TFailedStep::Identity, errno, kIdentityDropFailedExitCode);
  }
  if (!launch.Directory.empty() && ::chdir(launch.Directory.c_str()) != 0) {
    FailInChild(reportFd, TFailedStep::Directory, errno, kExecFailedExitCode);
  }
  ::execve(launch.Program.c_str(), argv, envp);
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
  }
  return ERROR_INVALID_FUNCTION;
}

std::vector<char*> PointersTo(const std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (const std::string& text : texts) pointers.push_back(const_cast<char*>(text.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

void WaitForFailedChild(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

bool Launch(const TLaunch& launch, TProcessInformation& info) {
  const std::vector<char*> argv = PointersTo(launch.Argv);
  const std::vector<char*> envp = PointersTo(launch.Environment);
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return FailFromErrno();
  // The child closes every descriptor from 3 on but this one.
  if (report[1] < 3) {
    const int moved = ::fcntl(report[1], F_DUPFD_CLOEXEC, 3);
    ::close(report[1]);
    report[1] = moved;
    if (moved < 0) {
      ::close(report[0]);
      return FailFromErrno();
    }
  }
  const pid_t pid = ::fork();
  if (pid < 0) {
    const int err = errno;
    ::close(report[0]);
    ::close(report[1]);
    return Fail(WinErrorFromErrno(err));
  }
  if (pid == 0) RunChild(launch, argv.data(), envp.data(), report[1]);

  ::close(report[1]);
  TChildFailure failure{};
  ssize_t got;
  do {
    got = ::read(report[0], &failure, sizeof failure);
  } while (got < 0 && errno == EINTR);
  ::close(report[0]);
  if (got > 0) {
    WaitForFailedChild(pid);
    return Fail(got == sizeof failure ? CodeOfChildFailure(failure) : ERROR_INVALID_FUNCTION);
  }
  const int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  info.Process = new TProcessObject(pid, pidFd);
  info.ProcessId = static_cast<DWORD>(pid);
  return true;
}

// ---- What to start, where and how

bool Exists(const fs::path& host) {
  struct stat st {};
  return ::stat(host.c_str(), &st) == 0;
}

bool IsRunnable(const fs::path& host) {
  struct stat st {};
  return ::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         ::faccessat(AT_FDCWD, host.c_str(), X_OK, AT_EACCESS) == 0;
}

bool FailForMissing(const fs::path& host) {
  struct stat st {};
  const int err = errno;
  const bool folderMissing = err == ENOENT && ::stat(host.parent_path().c_str(), &st) != 0;
  return Fail(WinErrorFromErrno(err, folderMissing));
}

bool FindOnHostPath(const std::string& name, fs::path& host) {
  const char* path = std::getenv("PATH");
  std::string_view folders = path != nullptr ? path : "";
  while (!folders.empty()) {
    const std::size_t colon = folders.find(':');
    const std::string_view folder = folders.substr(0, colon);
    if (!folder.empty() && IsRunnable(fs::path(folder) / name)) {
      host = fs::path(folder) / name;
      return true;
    }
    if (colon == std::string_view::npos) break;
    folders.remove_prefix(colon + 1);
  }
  return false;
}

bool FindMappedProgram(const std::string& program, fs::path& host) {
  if (program.find_first_of("\\/:") != std::string::npos) {
    if (!HostPathOf(program, host)) return false;
    struct stat st {};
    return ::stat(host.c_str(), &st) == 0 || FailForMissing(host);
  }
  if (HostPathOf(program, host) && Exists(host)) return true;
  if (FindOnHostPath(program, host)) return true;
  return Fail(ERROR_FILE_NOT_FOUND);
}

// The host file behind a found path, without the prefix's drive links: the
// user a program runs as needs the right to run it, not to read the prefix.
bool WithoutDriveLinks(fs::path& host) {
  std::error_code ec;
  fs::path resolved = fs::canonical(host, ec);
  if (ec) return Fail(WinErrorFromErrno(ec.value()));
  host = std::move(resolved);
  return true;
}

// A bare name is looked for in the current directory, then on the host's
// PATH; anything else is a Windows path.
bool FindProgram(const std::string& program, fs::path& host) {
  if (program.empty()) return Fail(ERROR_INVALID_PARAMETER);
  return FindMappedProgram(program, host) && WithoutDriveLinks(host);
}

bool FindDirectory(std::string_view directory, fs::path& host) {
  host.clear();
  if (directory.empty()) return true;
  std::error_code ec;
  if (!HostPathOf(std::string(directory), host) || !fs::is_directory(host, ec) ||
      !WithoutDriveLinks(host)) {
    return Fail(ERROR_DIRECTORY);
  }
  return true;
}

std::vector<std::string> CallerEnvironment() {
  std::vector<std::string> environment;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    environment.emplace_back(*entry);
  }
  return environment;
}

void SetVariable(std::vector<std::string>& environment, const std::string& name,
                 const std::string& value) {
  const std::string prefix = name + "=";
  std::erase_if(environment, [&](const std::string& entry) { return entry.starts_with(prefix); });
  environment.push_back(prefix + value);
}

std::vector<std::string> EnvironmentFor(const TUserIdentity* user, const TStartupInfo& startup) {
  std::vector<std::string> environment = CallerEnvironment();
  if (user != nullptr &&
      ::strcasecmp(startup.Desktop.c_str(), std::string(kInteractiveDesktop).c_str()) == 0) {
    if (!user->Display.empty()) SetVariable(environment, "DISPLAY", user->Display);
    SetVariable(environment, "HOME", user->Home);
    SetVariable(environment, "USER", user->UserName);
    SetVariable(environment, "LOGNAME", user->UserName);
  }
  return environment;
}

// A program started without a token runs with the process's own ids, also
// while an impersonation is in force.
void RunAsOwnIds(TLaunch& launch) {
  TProcessIds own = OwnProcessIds();
  if (own.Uid == ::geteuid() && own.Gid == ::getegid()) return;
  launch.Change = TIdentityChange::RestoreOwn;
  launch.Ids = std::move(own);
}

// Path mapping raises when the prefix itself cannot be read (by an
// impersonated user, say); here that is a failed call like any other.
template <typename Step>
bool WithoutRaising(const Step& step) {
  try {
    return step();
  } catch (const fs::filesystem_error& error) {
    return Fail(WinErrorFromErrno(error.code().value()));
  } catch (const Exception&) {
    return Fail(ERROR_PATH_NOT_FOUND);
  }
}

bool StartCommandLine(std::string_view commandLine, bool inheritHandles,
                      std::string_view currentDirectory, const TUserIdentity* user,
                      const TStartupInfo& startup, TProcessInformation& info) {
  info = TProcessInformation{};
  TLaunch launch;
  launch.Argv = SplitCommandLine(commandLine);
  const bool found = WithoutRaising([&] {
    return FindProgram(launch.Argv[0], launch.Program) &&
           FindDirectory(currentDirectory, launch.Directory);
  });
  if (!found) return false;
  launch.InheritHandles = inheritHandles;
  launch.Environment = EnvironmentFor(user, startup);
  if (user == nullptr) {
    RunAsOwnIds(launch);
  } else if (::getuid() == 0) {
    launch.Change = TIdentityChange::TakeOnToken;
    launch.Ids = {user->Uid, user->Gid, user->Groups};
  }
  return Launch(launch, info);
}

// A relative file is looked for in the shell's directory first.
bool FindShellFile(const std::string& file, std::string_view directory, fs::path& host) {
  const bool relative = ExtractFileDrive(file).empty() && !file.starts_with('\\');
  if (relative && !directory.empty() &&
      HostPathOf(IncludeTrailingBackslash(std::string(directory)) + file, host) && Exists(host)) {
    return WithoutDriveLinks(host);
  }
  return FindProgram(file, host);
}

DWORD ShellErrorFrom(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      return SE_ERR_FNF;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
    case ERROR_INVALID_NAME:
      return SE_ERR_PNF;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
      return SE_ERR_ACCESSDENIED;
    case ERROR_BAD_FORMAT:
      return ERROR_BAD_FORMAT;
    case ERROR_NOT_ENOUGH_MEMORY:
      return SE_ERR_OOM;
    default:
      // "The operating system is out of memory or resources."
      return 0;
  }
}

}  // namespace

bool CreateProcess(std::string_view commandLine, bool inheritHandles,
                   std::string_view currentDirectory, const TStartupInfo& startup,
                   TProcessInformation& info) {
  return StartCommandLine(commandLine, inheritHandles, currentDirectory, nullptr, startup, info);
}

bool CreateProcessAsUser(HANDLE token, std::string_view commandLine, bool inheritHandles,
                         std::string_view currentDirectory, const TStartupInfo& startup,
                         TProcessInformation& info) {
  info = TProcessInformation{};
  const TUserIdentity* user = TokenIdentity(token);
  if (user == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (::getuid() != 0 && user->Uid != ::geteuid()) return Fail(ERROR_PRIVILEGE_NOT_HELD);
  return StartCommandLine(commandLine, inheritHandles, currentDirectory, user, startup, info);
}

DWORD ShellExecute(std::string_view file, std::string_view parameters, std::string_view directory,
                   HANDLE* process) {
  if (process != nullptr) *process = nullptr;
  TLaunch launch;
  if (!WithoutRaising([&] { return FindDirectory(directory, launch.Directory); })) {
    return SE_ERR_PNF;
  }
  const std::string name(file);
  if (!WithoutRaising([&] { return FindShellFile(name, directory, launch.Program); })) {
    return ShellErrorFrom(GetLastError());
  }
  if (IsRunnable(launch.Program)) {
    launch.Argv = SplitCommandLine("program " + std::string(parameters));
    launch.Argv[0] = name;
  } else {
    fs::path opener;
    if (!FindOnHostPath("xdg-open", opener)) return SE_ERR_NOASSOC;
    launch.Argv = {"xdg-open", launch.Program.string()};
    launch.Program = opener;
  }
  launch.Environment = CallerEnvironment();
  RunAsOwnIds(launch);
  TProcessInformation info;
  if (!Launch(launch, info)) return ShellErrorFrom(GetLastError());
  if (process != nullptr) {
    *process = info.Process;
  } else {
    CloseHandle(info.Process);
  }
  return kShellExecuteSucceeded;
}

DWORD WaitForSingleObject(HANDLE process, DWORD milliseconds) {
  TProcessObject* object = HandleObject<TProcessObject>(process);
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  return object->Wait(milliseconds);
}

bool GetExitCodeProcess(HANDLE process, DWORD& exitCode) {
  TProcessObject* object = HandleObject<TProcessObject>(process);
  if (object == nullptr) return Fail(ERROR_INVALID_HANDLE);
  exitCode = object->ExitCode();
  return true;
}

}  // namespace win
