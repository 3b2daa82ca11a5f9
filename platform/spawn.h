// Spawning: the start of a found host program with its argv, environment,
// directory and ids, as the process calls (process.h) need it, through the
// host seam (env.h), and the process object that names it afterwards.
//
// Whatever fails in the child before the program runs (taking on the ids,
// changing the directory, the exec) is reported back before the call
// returns, so the spawning call fails with the Windows code and no process is
// left behind.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/error.h"
#include "platform/handle.h"
#include "platform/impersonation.h"

namespace win {

// A child that could not take on the token's ids ends with this code before
// it runs anything; the creating call reports ERROR_PRIVILEGE_NOT_HELD.
inline constexpr int kIdentityDropFailedExitCode = kIdChangeFailedExitCode;

struct TLaunch {
  std::filesystem::path Program;  // the host file
  std::vector<std::string> Argv;
  std::filesystem::path Directory;  // empty: the caller's
  // Keeps the caller's descriptors that are not close-on-exec; otherwise the
  // child gets only standard input, output and error.
  bool InheritHandles = false;
  // Standard input, output and error are /dev/null.
  bool NullStandardHandles = false;
  // RestoreOwn: back to the effective ids from before an impersonation;
  // TakeOn: all ids become the token's.
  TIdChange Change = TIdChange::Keep;
  TProcessIds Ids{};
  std::vector<std::string> Environment;
};

struct TProcessInformation {
  HANDLE Process = nullptr;  // close with CloseHandle
  DWORD ProcessId = 0;
};

// Starts the child; false with the Windows code of what failed:
// ERROR_PRIVILEGE_NOT_HELD for the ids, ERROR_DIRECTORY for a directory that
// is missing, ERROR_BAD_FORMAT for a file that cannot be run, or the code of
// the errno.
bool Launch(const TLaunch& launch, TProcessInformation& info);

}  // namespace win
