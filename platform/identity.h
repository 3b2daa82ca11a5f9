// Identity: who the machine is (product type, terminal-services suite), who
// is logged on (sessions), and acting as one of them (user tokens and
// impersonation).
//
// Product type and suite come from the hive key
// SYSTEM\CurrentControlSet\Control\ProductOptions: "ProductType" "WinNT"
// (workstation), "LanmanNT" (domain controller) or "ServerNT" (server), and
// "ProductSuite", a REG_MULTI_SZ that holds "Terminal Server" for the
// terminal-services suite. A missing key or value, a value of another type
// or an unknown text gives a workstation without suites.
//
// Sessions. When the hive key SOFTWARE\Zerurud\Platform\Sessions exists, its
// values are the session list, in stored order: name = session id in
// decimal, data = user name (REG_SZ; empty when nobody is logged on); values
// whose name is not a decimal number, or not a string, are no session, and a
// repeated id keeps its first entry. Otherwise the list comes from the host's
// login records (utmp, USER_PROCESS entries): session 0 is the console, the
// first login on a virtual console ("console", "ttyN") or an X display
// (":N" as line or host); it is listed first in any case, with an empty user
// name when nobody is logged on there. Every other login follows, numbered
// from 1 in utmp order, so a remote login is never session 0.
//
// A user token is the user's uid, gid and supplementary groups (from the
// password and group databases), with the user's name, home folder and the
// display of the session it came from. Impersonation changes the effective
// ids of the whole process (setgroups, setegid, seteuid) and RevertToSelf
// changes them back; it does not change the real ids, so a process started
// by root stays able to revert. Process creation with a token is process.h's.
//
// Handles: tokens and processes (process.h) are kernel objects behind one
// HANDLE type and closed by one CloseHandle. nullptr is no handle.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/error.h"
#include <sys/types.h>

namespace win {

// ---- Handles

// The base of every object a HANDLE names. Objects are created by the calls
// that return handles and destroyed by CloseHandle.
class TKernelObject {
 public:
  TKernelObject(const TKernelObject&) = delete;
  TKernelObject& operator=(const TKernelObject&) = delete;
  virtual ~TKernelObject();

 protected:
  TKernelObject();
};

using HANDLE = TKernelObject*;

// Closes a handle; false with ERROR_INVALID_HANDLE for nullptr or a handle
// that is not open (closed already), which is never touched.
bool CloseHandle(HANDLE handle);

// True while `handle` is open.
bool IsOpenHandle(HANDLE handle);
// The object behind an open handle when it is a T, else nullptr.
template <typename T>
T* HandleObject(HANDLE handle) {
  return IsOpenHandle(handle) ? dynamic_cast<T*>(handle) : nullptr;
}

// ---- Product type and suite

using BYTE = std::uint8_t;
using WORD = std::uint16_t;

inline constexpr BYTE VER_NT_WORKSTATION = 1;
inline constexpr BYTE VER_NT_DOMAIN_CONTROLLER = 2;
inline constexpr BYTE VER_NT_SERVER = 3;
inline constexpr WORD VER_SUITE_TERMINAL = 0x10;

// The product type, VER_NT_WORKSTATION by default.
BYTE GetProductType();
// The suite mask: VER_SUITE_TERMINAL or 0.
WORD GetSuiteMask();

// ---- Sessions

struct TSessionInfo {
  DWORD SessionId = 0;
  std::string UserName;  // empty: nobody is logged on
  std::string Display;   // the session's X display (":0"); empty when not known
};

// The sessions of this machine with their user names, in listed order (what
// WTSEnumerateSessions and WTSQuerySessionInformation(WTSUserName) give
// together). False, with the list empty, when the hive cannot be read.
bool WTSEnumerateSessions(std::vector<TSessionInfo>& sessions);

// The host's session list, made from the login records in `utmpFile`; an
// unreadable file gives only an empty console session.
std::vector<TSessionInfo> HostSessions(const std::string& utmpFile);

// ---- Tokens and impersonation

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
