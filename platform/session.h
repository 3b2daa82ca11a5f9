// Sessions: who is logged on to this machine, as WTSEnumerateSessions and
// WTSQuerySessionInformation(WTSUserName) tell it.
//
// When the hive key SOFTWARE\Zerurud\Platform\Sessions exists, its values
// are the session list, in stored order: name = session id in decimal, data
// = user name (REG_SZ; empty when nobody is logged on); values whose name is
// not a decimal number, or not a string, are no session, and a repeated id
// keeps its first entry. Otherwise the list comes from the host's login
// records (utmp, USER_PROCESS entries): session 0 is the console, the first
// login on a virtual console ("console", "ttyN") or an X display (":N" as
// line or host); it is listed first in any case, with an empty user name
// when nobody is logged on there. Every other login follows, numbered from 1
// in utmp order, so a remote login is never session 0.
#pragma once

#include <string>
#include <vector>

#include "platform/error.h"

namespace win {

struct TSessionInfo {
  DWORD SessionId = 0;
  std::string UserName;  // empty: nobody is logged on
  std::string Display;   // the session's X display (":0"); empty when not known
};

// The sessions of this machine with their user names, in listed order. False,
// with the list empty, when the hive cannot be read.
bool WTSEnumerateSessions(std::vector<TSessionInfo>& sessions);

// The host's session list, made from the login records in `utmpFile`; an
// unreadable file gives only an empty console session.
std::vector<TSessionInfo> HostSessions(const std::string& utmpFile);

}  // namespace win
