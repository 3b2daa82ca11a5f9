// User tokens: the primary token of a session's user, as WTSQueryUserToken
// gives one, and what it holds.
//
// A token is the user's uid, gid and supplementary groups (from the password
// and group databases), with the user's name, home folder and the display of
// the session it came from. Acting as the token's user is impersonation.h's;
// starting a program with a token is process.h's.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/handle.h"

namespace win {

struct TUserIdentity {
  uid_t Uid = 0;
  gid_t Gid = 0;
  std::vector<gid_t> Groups;  // supplementary groups, the primary one included
  std::string UserName;
  std::string Home;
  std::string Display;  // of the session the token came from; may be empty
};

// The primary token of the user logged on in `sessionId`. False with
// ERROR_NO_TOKEN when the session does not exist, nobody is logged on in it
// or its user is unknown to the host; ERROR_PRIVILEGE_NOT_HELD when the
// caller is not root and the session's user is not the caller (the caller's
// own session needs no privilege); the hive's code when it cannot be read.
bool WTSQueryUserToken(DWORD sessionId, HANDLE* token);

// A token for explicit ids, as WTSQueryUserToken makes one for a session's
// user. Close it with CloseHandle.
HANDLE CreateUserToken(const TUserIdentity& identity);

// What a token holds; nullptr when `token` is not an open token.
const TUserIdentity* TokenIdentity(HANDLE token);

}  // namespace win
