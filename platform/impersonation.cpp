#include "platform/impersonation.h"

#include <grp.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/token.h"

namespace win {

namespace {

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
