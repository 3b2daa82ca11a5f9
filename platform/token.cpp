#include "platform/token.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/session.h"

namespace win {

namespace {

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

}  // namespace

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

}  // namespace win
