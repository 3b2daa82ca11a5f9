#include "platform/identity.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>
#include <utmpx.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string_view>
#include <unordered_set>

#include "platform/registry.h"

namespace win {

namespace {

constexpr char kProductOptionsKey[] = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
constexpr char kSessionsKey[] = "SOFTWARE\\Zerurud\\Platform\\Sessions";

// ---- Handles

std::mutex& HandleLock() {
  static std::mutex lock;
  return lock;
}

std::unordered_set<const TKernelObject*>& OpenHandles() {
  static std::unordered_set<const TKernelObject*> handles;
  return handles;
}

// ---- Product options

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// ---- Sessions

enum class THiveSessions { Listed, NoKey, Unreadable };

bool ParseSessionId(const std::string& name, DWORD& id) {
  if (name.empty() || name.size() > 10) return false;
  std::uint64_t value = 0;
  for (const char c : name) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > 0xFFFFFFFFu) return false;
  id = static_cast<DWORD>(value);
  return true;
}

THiveSessions ReadHiveSessions(std::vector<TSessionInfo>& sessions) {
  try {
    TRegistry registry(KEY_READ);
    if (!registry.OpenKeyReadOnly(kSessionsKey)) {
      const DWORD code = GetLastError();
      return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND
                 ? THiveSessions::NoKey
                 : THiveSessions::Unreadable;
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

bool IsDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
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

// ---- Tokens

class TUserToken : public TKernelObject {
 public:
  explicit TUserToken(TUserIdentity identity) : FIdentity(std::move(identity)) {}
  const TUserIdentity& Identity() const { return FIdentity; }

 private:
  TUserIdentity FIdentity;
};

bool LookUpUser(const std::string& name, TUserIdentity& identity) {
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  while (::getpwnam_r(name.c_str(), &entry, buffer.data(), buffer.size(), &found) == ERANGE) {
    buffer.resize(buffer.size() * 2);
  }
  if (found == nullptr) return false;
  identity.Uid = entry.pw_uid;
  identity.Gid = entry.pw_gid;
  identity.UserName = entry.pw_name;
  identity.Home = entry.pw_dir;
  int count = 32;
  identity.Groups.resize(static_cast<std::size_t>(count));
  while (::getgrouplist(entry.pw_name, entry.pw_gid, identity.Groups.data(), &count) < 0) {
    identity.Groups.resize(static_cast<std::size_t>(count) + 32);
    count = static_cast<int>(identity.Groups.size());
  }
  identity.Groups.resize(static_cast<std::size_t>(count));
  return true;
}

// ---- Impersonation

struct TSavedIdentity {
  bool Active = false;
  TProcessIds Ids{};
};

TSavedIdentity& Impersonation() {
  static TSavedIdentity saved;
  return saved;
}

std::vector<gid_t> CurrentGroups() {
  std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
  const int count = ::getgroups(static_cast<int>(groups.size()), groups.data());
  groups.resize(static_cast<std::size_t>(std::max(count, 0)));
  return groups;
}

bool FailIdChange(int err) {
  return Fail(err == EPERM ? ERROR_PRIVILEGE_NOT_HELD : WinErrorFromErrno(err));
}

}  // namespace

// ---- Handles

TKernelObject::TKernelObject() {
  std::lock_guard<std::mutex> guard(HandleLock());
  OpenHandles().insert(this);
}

TKernelObject::~TKernelObject() {
  std::lock_guard<std::mutex> guard(HandleLock());
  OpenHandles().erase(this);
}

bool IsOpenHandle(HANDLE handle) {
  std::lock_guard<std::mutex> guard(HandleLock());
  return handle != nullptr && OpenHandles().contains(handle);
}

bool CloseHandle(HANDLE handle) {
  if (!IsOpenHandle(handle)) return Fail(ERROR_INVALID_HANDLE);
  delete handle;
  return true;
}

// ---- Product options

BYTE GetProductType() {
  try {
    TRegistry registry(KEY_READ);
    if (registry.OpenKeyReadOnly(kProductOptionsKey) &&
        registry.GetDataType("ProductType") == REG_SZ) {
      const std::string type = registry.ReadString("ProductType");
      if (SameTextIgnoringCase(type, "ServerNT")) return VER_NT_SERVER;
      if (SameTextIgnoringCase(type, "LanmanNT")) return VER_NT_DOMAIN_CONTROLLER;
    }
  } catch (const Exception&) {
    // A hive that cannot be read leaves the default.
  }
  return VER_NT_WORKSTATION;
}

WORD GetSuiteMask() {
  try {
    TRegistry registry(KEY_READ);
    if (registry.OpenKeyReadOnly(kProductOptionsKey) &&
        registry.GetDataType("ProductSuite") == REG_MULTI_SZ) {
      for (const std::string& suite : registry.ReadMultiString("ProductSuite")) {
        if (SameTextIgnoringCase(suite, "Terminal Server")) return VER_SUITE_TERMINAL;
      }
    }
  } catch (const Exception&) {
    // A hive that cannot be read leaves the default.
  }
  return 0;
}

// ---- Sessions

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

// ---- Tokens

bool WTSQueryUserToken(DWORD sessionId, HANDLE* token) {
  if (token == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  *token = nullptr;
  std::vector<TSessionInfo> sessions;
  if (!WTSEnumerateSessions(sessions)) return false;
  const auto session =
      std::find_if(sessions.begin(), sessions.end(),
                   [sessionId](const TSessionInfo& s) { return s.SessionId == sessionId; });
  TUserIdentity identity;
  if (session == sessions.end() || session->UserName.empty() ||
      !LookUpUser(session->UserName, identity)) {
    return Fail(ERROR_NO_TOKEN);
  }
  if (::geteuid() != 0 && identity.Uid != ::geteuid()) return Fail(ERROR_PRIVILEGE_NOT_HELD);
  identity.Display = session->Display;
  *token = CreateUserToken(identity);
  return true;
}

HANDLE CreateUserToken(const TUserIdentity& identity) { return new TUserToken(identity); }

const TUserIdentity* TokenIdentity(HANDLE token) {
  const TUserToken* userToken = HandleObject<TUserToken>(token);
  return userToken != nullptr ? &userToken->Identity() : nullptr;
}

// ---- Impersonation

bool ImpersonateLoggedOnUser(HANDLE token) {
  const TUserIdentity* identity = TokenIdentity(token);
  if (identity == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (!RevertToSelf()) return false;
  if (identity->Uid == ::geteuid() && identity->Gid == ::getegid()) return true;

  const TProcessIds own{::geteuid(), ::getegid(), CurrentGroups()};
  if (::setgroups(identity->Groups.size(), identity->Groups.data()) != 0)
    return FailIdChange(errno);
  if (::setegid(identity->Gid) != 0) {
    const int err = errno;
    ::setgroups(own.Groups.size(), own.Groups.data());
    return FailIdChange(err);
  }
  if (::seteuid(identity->Uid) != 0) {
    const int err = errno;
    ::setegid(own.Gid);
    ::setgroups(own.Groups.size(), own.Groups.data());
    return FailIdChange(err);
  }
  Impersonation() = {true, own};
  return true;
}

bool RevertToSelf() {
  TSavedIdentity& saved = Impersonation();
  if (!saved.Active) return true;
  // The uid first: only the restored (root) uid may change the groups back.
  if (::seteuid(saved.Ids.Uid) != 0 || ::setegid(saved.Ids.Gid) != 0 ||
      ::setgroups(saved.Ids.Groups.size(), saved.Ids.Groups.data()) != 0) {
    return FailIdChange(errno);
  }
  saved.Active = false;
  return true;
}

TProcessIds OwnProcessIds() {
  const TSavedIdentity& saved = Impersonation();
  if (saved.Active) return saved.Ids;
  return {::geteuid(), ::getegid(), CurrentGroups()};
}

}  // namespace win
