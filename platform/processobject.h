// Process objects: what a process handle names once a program has started
// (spawn.h starts it), waiting for it and its exit code.
//
// Closing the handle of a process still running hands it to a background
// thread that reaps it when it ends, so it never stays a zombie; nothing
// else in this process reaps children that are not its own.
#pragma once

#include <sys/types.h>

#include "platform/error.h"
#include "platform/handle.h"

namespace win {

inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
inline constexpr DWORD STILL_ACTIVE = 259;

// A started child of this process.
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

// WAIT_OBJECT_0 once the process has ended (at once when it had already),
// WAIT_TIMEOUT when it is still running after `milliseconds` (0 polls),
// WAIT_FAILED with ERROR_INVALID_HANDLE for a handle that is not a process.
DWORD WaitForSingleObject(HANDLE process, DWORD milliseconds);

// The exit code of an ended process (128 + the signal for one killed by a
// signal), or STILL_ACTIVE while it runs. False with ERROR_INVALID_HANDLE for
// a handle that is not a process.
bool GetExitCodeProcess(HANDLE process, DWORD& exitCode);

}  // namespace win
