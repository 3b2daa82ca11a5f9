#include "platform/processobject.h"

#include <poll.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <system_error>
#include <thread>

namespace win {

namespace {

// The exit code recorded for a child that someone else reaped first.
constexpr DWORD kExitCodeUnknown = 0xFFFFFFFF;

DWORD ExitCodeFromStatus(int status) {
  if (WIFEXITED(status)) return static_cast<DWORD>(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return 128 + static_cast<DWORD>(WTERMSIG(status));
  return kExitCodeUnknown;
}

}  // namespace

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
