// Processes: starting host programs from Windows command lines (as a user,
// on a session's desktop), the shell's open, and waiting for them.
//
// A command line is split as a Windows program splits its own (cmdline.h).
// Its first part names the program, found as programlookup.h finds it. The
// program receives the parts as its argv, element 0 as written in the
// command line.
//
// A program that is missing or may not be run is found before the call
// returns: either before the start, or because the exec in the child fails
// and reports back through a close-on-exec pipe. The call then returns false
// with ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED or
// ERROR_BAD_FORMAT and no process is left behind. Nothing here waits for a
// started program.
//
// A process handle can be waited on, polled and asked for its exit code
// (processobject.h).
//
// Neither windows nor consoles exist here: show modes and console flags have
// no counterpart and are not taken.
#pragma once

#include <string>
#include <string_view>

#include "platform/error.h"
#include "platform/handle.h"
#include "platform/processobject.h"
#include "platform/spawn.h"

namespace win {

// The interactive window station and desktop.
inline constexpr std::string_view kInteractiveDesktop = "winsta0\\default";

struct TStartupInfo {
  // kInteractiveDesktop (any letter case) with a token: the program gets the
  // token's session display as DISPLAY (where the session has one) and the
  // token user's HOME, USER and LOGNAME; the rest of its environment is the
  // caller's. Empty: the caller's environment as it is.
  std::string Desktop;
  // Standard input, output and error of the program are /dev/null instead
  // of the caller's, as with STARTF_USESTDHANDLES and no handles: a program
  // that outlives the caller holds none of the caller's pipes open.
  bool NullStandardHandles = false;
};

// CreateProcess: starts `commandLine` in `currentDirectory` (a Windows path;
// empty: the caller's current directory) with the caller's environment.
// `inheritHandles` keeps the caller's descriptors that are not close-on-exec
// open in the program; otherwise it gets only standard input, output and
// error. While an impersonation is in force the program runs with the ids
// the process had before it, as a program started without a token runs with
// the primary token on Windows. False with ERROR_INVALID_PARAMETER for an
// empty program, ERROR_DIRECTORY for a current directory that is not one,
// and the codes above for the program.
bool CreateProcess(std::string_view commandLine, bool inheritHandles,
                   std::string_view currentDirectory, const TStartupInfo& startup,
                   TProcessInformation& info);

// CreateProcessAsUser: the same, running as the token's user. The child
// takes on the token's groups, gid and uid (setgroups, setgid, setuid, in
// that order, regaining root first when the caller is root impersonating
// someone) before the exec; when any of them fails it ends with
// kIdentityDropFailedExitCode and the program never runs. A caller that is
// not root can only use a token of its own ids (ERROR_PRIVILEGE_NOT_HELD
// otherwise). ERROR_INVALID_HANDLE for a handle that is not a token.
bool CreateProcessAsUser(HANDLE token, std::string_view commandLine, bool inheritHandles,
                         std::string_view currentDirectory, const TStartupInfo& startup,
                         TProcessInformation& info);

// The shell's open (ShellExecute with a process handle, as
// SEE_MASK_NOCLOSEPROCESS gives one): runs the program `file` with
// `parameters` (a command-line tail) in `directory` (a Windows path; empty:
// the current directory). A relative `file` is looked for in `directory`,
// then as CreateProcess looks for programs. A file that may not be run is a
// document, opened with the host's opener (xdg-open on the PATH) when there
// is one. Returns a value above 32 on success, with the handle in `*process`
// when `process` is given (the caller closes it); else a shell error code
// and nullptr.
inline constexpr DWORD SE_ERR_FNF = 2;
inline constexpr DWORD SE_ERR_PNF = 3;
inline constexpr DWORD SE_ERR_ACCESSDENIED = 5;
inline constexpr DWORD SE_ERR_OOM = 8;
inline constexpr DWORD SE_ERR_NOASSOC = 31;
inline constexpr DWORD kShellExecuteSucceeded = 42;
DWORD ShellExecute(std::string_view file, std::string_view parameters, std::string_view directory,
                   HANDLE* process = nullptr);

}  // namespace win
