#include "platform/session.h"

#include <utmpx.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/registry.h"
#include "platform/text.h"

namespace win {

namespace {

constexpr char kSessionsKey[] = "SOFTWARE\\Zerurud\\Platform\\Sessions";

enum class THiveSessions { Listed, NoKey, Unreadable };

bool IsDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Digits only: the class library's rule would also take blanks, a sign and
// hexadecimal, which name no session.
bool ParseSessionId(const std::string& name, DWORD& id) {
  const std::optional<std::uint32_t> value = IsDigits(name) ? TryStrToUInt(name) : std::nullopt;
  if (!value) return false;
  id = *value;
  return true;
}

THiveSessions ReadHiveSessions(std::vector<TSessionInfo>& sessions) {
  try {
    TRegistry registry(KEY_READ);
    if (!registry.OpenKeyReadOnly(kSessionsKey)) {
      return IsNotFound(GetLastError()) ? THiveSessions::NoKey : THiveSessions::Unreadable;
    }
    for (const std::string& name : registry.GetValueNames()) {
      DWORD id = 0;
      if (!ParseSessionId(name, id)) continue;
      const DWORD type = registry.GetDataType(name);
      if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
      const bool listed = std::any_of(sessions.begin(), sessions.end(),
                                      [id](const TSessionInfo& s) { return s.SessionId == id; });
      if (!listed) sessions.push_back({id, registry.ReadString(name), ""});
    }
    return THiveSessions::Listed;
  } catch (const Exception&) {
    sessions.clear();
    SetLastError(ERROR_INVALID_DATA);
    return THiveSessions::Unreadable;
  }
}

template <std::size_t N>
std::string FixedField(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

// ":0" or ":1.0", a local X display.
bool IsDisplayName(std::string_view text) {
  if (text.size() < 2 || text[0] != ':') return false;
  text.remove_prefix(1);
  const std::size_t dot = text.find('.');
  return IsDigits(text.substr(0, dot)) &&
         (dot == std::string_view::npos || IsDigits(text.substr(dot + 1)));
}

bool IsVirtualConsole(std::string_view line) {
  return line == "console" || (line.starts_with("tty") && IsDigits(line.substr(3)));
}

}  // namespace

std::vector<TSessionInfo> HostSessions(const std::string& utmpFile) {
  std::vector<TSessionInfo> sessions(1);
  bool consoleTaken = false;
  DWORD nextId = 1;
  if (::utmpxname(utmpFile.c_str()) == 0) {
    ::setutxent();
    while (const utmpx* entry = ::getutxent()) {
      if (entry->ut_type != USER_PROCESS) continue;
      const std::string user = FixedField(entry->ut_user);
      if (user.empty()) continue;
      const std::string line = FixedField(entry->ut_line);
      const std::string host = FixedField(entry->ut_host);
      const std::string display = IsDisplayName(line) ? line : IsDisplayName(host) ? host : "";
      if (!consoleTaken && (IsVirtualConsole(line) || !display.empty())) {
        sessions[0].UserName = user;
        sessions[0].Display = display;
        consoleTaken = true;
      } else {
        sessions.push_back({nextId++, user, display});
      }
    }
    ::endutxent();
  }
  ::utmpxname(_PATH_UTMPX);
  return sessions;
}

bool WTSEnumerateSessions(std::vector<TSessionInfo>& sessions) {
  sessions.clear();
  switch (ReadHiveSessions(sessions)) {
    case THiveSessions::Listed:
      return true;
    case THiveSessions::NoKey:
      sessions = HostSessions(_PATH_UTMPX);
      return true;
    case THiveSessions::Unreadable:
      break;
  }
  return false;
}

}  // namespace win
