// Impersonation: acting as a token's user (ImpersonateLoggedOnUser) and
// back (RevertToSelf).
//
// It changes the effective ids of the whole process (setgroups, setegid,
// seteuid) and RevertToSelf changes them back; it does not change the real
// ids, so a process started by root stays able to revert.
#pragma once

#include <sys/types.h>

#include <vector>

#include "platform/handle.h"

namespace win {

// Makes the token's user the effective identity of the process, replacing an
// impersonation in force. A token with the caller's own effective uid and gid
// changes nothing. False with ERROR_INVALID_HANDLE for a handle that is not a
// token, ERROR_PRIVILEGE_NOT_HELD when the ids may not be changed; nothing
// is changed then.
bool ImpersonateLoggedOnUser(HANDLE token);

// Ends the impersonation in force, restoring the effective ids and groups
// the process had before it; true at once when none is in force. False with
// the system's code when the ids cannot be restored.
bool RevertToSelf();

// The effective identity in force before the impersonation (the process's
// own one when none is in force): what a program started without a token
// runs as.
struct TProcessIds {
  uid_t Uid;
  gid_t Gid;
  std::vector<gid_t> Groups;
};
TProcessIds OwnProcessIds();

}  // namespace win
