#include "platform/spawn.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/processobject.h"
#include <sys/syscall.h>
#include <sys/wait.h>

namespace win {

namespace {

constexpr int kExecFailedExitCode = 127;

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

}  // namespace

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

}  // namespace win
