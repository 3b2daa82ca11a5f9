#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utmpx.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/hostpath.h"
#include "platform/impersonation.h"
#include "platform/prefix.h"
#include "platform/process.h"
#include "platform/producttype.h"
#include "platform/registry.h"
#include "platform/session.h"
#include "platform/token.h"
#include "tests/support/recorder/record.h"
#include "tests/support/temp_prefix.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempDir;
using testing_support::TempPrefix;
using testing_support::TRecorderRecord;
using testing_support::TScopedVariable;

constexpr char kSessionsKey[] = "SOFTWARE\\Zerurud\\Platform\\Sessions";
constexpr char kProductOptionsKey[] = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";

using Values = std::vector<std::pair<std::string, std::string>>;

void WriteSessions(const Values& sessions) {
  win::TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(kSessionsKey, true));
  for (const auto& [id, user] : sessions) registry.WriteString(id, user);
}

std::vector<gid_t> Sorted(std::vector<gid_t> groups) {
  std::sort(groups.begin(), groups.end());
  return groups;
}

std::vector<gid_t> EffectiveGroups() {
  std::vector<gid_t> groups(static_cast<std::size_t>(::getgroups(0, nullptr)));
  groups.resize(
      static_cast<std::size_t>(::getgroups(static_cast<int>(groups.size()), groups.data())));
  return Sorted(groups);
}

std::string Joined(std::vector<gid_t> groups) {
  std::string joined;
  for (const gid_t g : Sorted(std::move(groups)))
    joined += (joined.empty() ? "" : ",") + std::to_string(g);
  return joined;
}

// The recorder as a Windows command line.
std::string RecorderCommandLine() {
  std::string program;
  win::WindowsPathFromHost(ARGV_RECORDER_PATH, program);
  return "\"" + program + "\" started";
}

// Starts the recorder with `token` and reads its record; false when it did
// not start or wrote nothing.
bool RunRecorder(win::HANDLE token, const std::string& desktop, const fs::path& recordFile,
                 TRecorderRecord& record) {
  fs::remove(recordFile);
  win::TProcessInformation info;
  const bool started =
      token != nullptr
          ? win::CreateProcessAsUser(token, RecorderCommandLine(), false, "", {desktop}, info)
          : win::CreateProcess(RecorderCommandLine(), false, "", {desktop}, info);
  if (!started) return false;
  win::WaitForSingleObject(info.Process, win::INFINITE);
  win::CloseHandle(info.Process);
  return testing_support::ReadRecorderRecord(recordFile, record);
}

// Runs `body` in a child process that has become `uid`/`gid`; its result is
// the child's exit code (255 when the ids could not be changed).
int ExitCodeAs(uid_t uid, gid_t gid, const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(255);
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// ---- Product type and suite

TEST(ProductOptions, FromTheHiveWithWorkstationDefaults) {
  struct Case {
    const char* what;
    std::function<void(win::TRegistry&)> write;
    win::BYTE type;
    win::WORD suite;
  };
  const Case cases[] = {
      {"no key", nullptr, win::VER_NT_WORKSTATION, 0},
      {"empty key", [](win::TRegistry&) {}, win::VER_NT_WORKSTATION, 0},
      {"workstation", [](win::TRegistry& r) { r.WriteString("ProductType", "WinNT"); },
       win::VER_NT_WORKSTATION, 0},
      {"domain controller", [](win::TRegistry& r) { r.WriteString("ProductType", "LanmanNT"); },
       win::VER_NT_DOMAIN_CONTROLLER, 0},
      {"terminal server",
       [](win::TRegistry& r) {
         r.WriteString("ProductType", "ServerNT");
         r.WriteMultiString("ProductSuite", {"Enterprise", "Terminal Server"});
       },
       win::VER_NT_SERVER, win::VER_SUITE_TERMINAL},
      {"server without the suite",
       [](win::TRegistry& r) {
         r.WriteString("ProductType", "servernt");
         r.WriteMultiString("ProductSuite", {"Enterprise", "Terminal Server Lite"});
       },
       win::VER_NT_SERVER, 0},
      {"values of other types",
       [](win::TRegistry& r) {
         r.WriteInteger("ProductType", 3);
         r.WriteString("ProductSuite", "Terminal Server");
       },
       win::VER_NT_WORKSTATION, 0},
      {"unknown product", [](win::TRegistry& r) { r.WriteString("ProductType", "DatacenterNT"); },
       win::VER_NT_WORKSTATION, 0},
  };
  for (const Case& c : cases) {
    TempPrefix prefix;
    if (c.write) {
      win::TRegistry registry;
      ASSERT_TRUE(registry.OpenKey(kProductOptionsKey, true));
      c.write(registry);
    }
    EXPECT_EQ(win::GetProductType(), c.type) << c.what;
    EXPECT_EQ(win::GetSuiteMask(), c.suite) << c.what;
  }
}

TEST(ProductOptions, BrokenHiveGivesTheDefaults) {
  TempPrefix prefix;
  testing_support::WriteFile(win::HivePath(), "not a registry file\n[unterminated");
  EXPECT_EQ(win::GetProductType(), win::VER_NT_WORKSTATION);
  EXPECT_EQ(win::GetSuiteMask(), 0);
}

// ---- Sessions

TEST(SessionList, HiveListReplacesTheHostsInStoredOrder) {
  TempPrefix prefix;
  WriteSessions({{"3", "jsmith"},
                 {"0", ""},
                 {"1", "JSmith"},
                 {"console", "junk"},
                 {"-2", "junk"},
                 {"4294967296", "junk"},
                 {"01", "repeated id"},
                 {"7", "jsmith"}});
  {
    win::TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kSessionsKey, false));
    registry.WriteInteger("5", 1);
  }
  std::vector<win::TSessionInfo> sessions;
  ASSERT_TRUE(win::WTSEnumerateSessions(sessions));
  std::vector<std::pair<win::DWORD, std::string>> listed;
  for (const win::TSessionInfo& s : sessions) listed.emplace_back(s.SessionId, s.UserName);
  EXPECT_EQ(listed, (std::vector<std::pair<win::DWORD, std::string>>{
                        {3, "jsmith"}, {0, ""}, {1, "JSmith"}, {7, "jsmith"}}));
}

TEST(SessionList, EmptyHiveKeyMeansNoSessions) {
  TempPrefix prefix;
  WriteSessions({});
  std::vector<win::TSessionInfo> sessions(1);
  ASSERT_TRUE(win::WTSEnumerateSessions(sessions));
  EXPECT_TRUE(sessions.empty());
}

TEST(SessionList, BrokenHiveFailsWithAnEmptyList) {
  TempPrefix prefix;
  testing_support::WriteFile(win::HivePath(), "garbage\n[");
  std::vector<win::TSessionInfo> sessions(1);
  EXPECT_FALSE(win::WTSEnumerateSessions(sessions));
  EXPECT_TRUE(sessions.empty());
}

struct Login {
  short type;
  const char* user;
  const char* line;
  const char* host;
};

void WriteUtmp(const fs::path& file, const std::vector<Login>& logins) {
  testing_support::WriteFile(file, "");
  ASSERT_EQ(::utmpxname(file.c_str()), 0);
  ::setutxent();
  int pid = 1000;
  for (const Login& login : logins) {
    utmpx entry{};
    entry.ut_type = login.type;
    entry.ut_pid = pid++;
    std::strncpy(entry.ut_user, login.user, sizeof entry.ut_user);
    std::strncpy(entry.ut_line, login.line, sizeof entry.ut_line);
    std::strncpy(entry.ut_id, login.line, sizeof entry.ut_id);
    std::strncpy(entry.ut_host, login.host, sizeof entry.ut_host);
    ASSERT_NE(::pututxline(&entry), nullptr) << login.line;
  }
  ::endutxent();
  ::utmpxname(_PATH_UTMPX);
}

struct ExpectedSession {
  win::DWORD id;
  std::string user;
  std::string display;
};

std::vector<ExpectedSession> Listed(const std::vector<win::TSessionInfo>& sessions) {
  std::vector<ExpectedSession> listed;
  for (const win::TSessionInfo& s : sessions)
    listed.push_back({s.SessionId, s.UserName, s.Display});
  return listed;
}

bool operator==(const ExpectedSession& a, const ExpectedSession& b) {
  return a.id == b.id && a.user == b.user && a.display == b.display;
}

std::ostream& operator<<(std::ostream& out, const ExpectedSession& s) {
  return out << "{" << s.id << ", " << s.user << ", " << s.display << "}";
}

TEST(SessionList, HostLoginsNumberTheConsoleZeroAndTheRestInOrder) {
  struct Case {
    const char* what;
    std::vector<Login> logins;
    std::vector<ExpectedSession> sessions;
  };
  const Case cases[] = {
      {"remote login before the console one",
       {{USER_PROCESS, "remote", "pts/0", "10.0.0.5"},
        {LOGIN_PROCESS, "LOGIN", "tty2", ""},
        {USER_PROCESS, "alice", "tty1", ""},
        {DEAD_PROCESS, "gone", "pts/3", ""},
        {USER_PROCESS, "bob", "pts/1", ":1"},
        {USER_PROCESS, "carol", ":2", ":2"}},
       {{0, "alice", ""}, {1, "remote", ""}, {2, "bob", ":1"}, {3, "carol", ":2"}}},
      {"graphical console",
       {{USER_PROCESS, "dave", "pts/4", "ssh.example"}, {USER_PROCESS, "erin", ":0", ":0"}},
       {{0, "erin", ":0"}, {1, "dave", ""}}},
      {"nobody at the console",
       {{USER_PROCESS, "remote", "pts/0", "10.0.0.5"}},
       {{0, "", ""}, {1, "remote", ""}}},
      {"no logins", {}, {{0, "", ""}}},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const fs::path utmp = dir.path() / "utmp";
    WriteUtmp(utmp, c.logins);
    EXPECT_EQ(Listed(win::HostSessions(utmp)), c.sessions) << c.what;
  }
  EXPECT_EQ(Listed(win::HostSessions("/nonexistent/utmp")),
            (std::vector<ExpectedSession>{{0, "", ""}}));
}

// ---- Tokens

TEST(UserToken, SessionsWithoutAUsableUserHaveNoToken) {
  TempPrefix prefix;
  WriteSessions({{"0", ""}, {"1", "root"}, {"2", "no-such-user-zz"}});
  struct Case {
    win::DWORD session;
    win::DWORD error;
  };
  for (const Case c :
       {Case{0, win::ERROR_NO_TOKEN}, Case{2, win::ERROR_NO_TOKEN}, Case{9, win::ERROR_NO_TOKEN}}) {
    win::HANDLE token = reinterpret_cast<win::HANDLE>(1);
    win::SetLastError(0);
    EXPECT_FALSE(win::WTSQueryUserToken(c.session, &token)) << "session " << c.session;
    EXPECT_EQ(win::GetLastError(), c.error) << "session " << c.session;
    EXPECT_EQ(token, nullptr);
  }
}

TEST(UserToken, HoldsTheSessionUsersIdsAndGroups) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root: the token of root's session";
  TempPrefix prefix;
  WriteSessions({{"1", "root"}});
  win::HANDLE token = nullptr;
  ASSERT_TRUE(win::WTSQueryUserToken(1, &token));
  const win::TUserIdentity* identity = win::TokenIdentity(token);
  ASSERT_NE(identity, nullptr);
  const passwd* root = ::getpwnam("root");
  EXPECT_EQ(identity->Uid, 0u);
  EXPECT_EQ(identity->Gid, root->pw_gid);
  EXPECT_EQ(identity->Home, root->pw_dir);
  EXPECT_EQ(identity->UserName, "root");
  EXPECT_NE(std::find(identity->Groups.begin(), identity->Groups.end(), root->pw_gid),
            identity->Groups.end());
  EXPECT_TRUE(win::CloseHandle(token));
}

TEST(UserToken, AnOrdinaryUserGetsOnlyItsOwnSessionsToken) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run a check as the user nobody";
  const passwd* nobody = ::getpwnam("nobody");
  if (nobody == nullptr) GTEST_SKIP() << "the host has no user nobody";
  TempPrefix prefix;
  WriteSessions({{"1", "root"}, {"2", "nobody"}});
  // nobody must be able to read the machine.
  ASSERT_EQ(::chmod(prefix.root().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(win::HivePath().c_str(), 0644), 0);
  TempDir shared;
  ASSERT_EQ(::chmod(shared.path().c_str(), 0777), 0);
  const fs::path recordFile = shared.path() / "record";
  TScopedVariable out("ARGV_RECORDER_OUT", recordFile.string());
  const uid_t uid = nobody->pw_uid;
  const int code = ExitCodeAs(uid, nobody->pw_gid, [uid, &recordFile] {
    win::HANDLE token = nullptr;
    if (win::WTSQueryUserToken(1, &token) || win::GetLastError() != win::ERROR_PRIVILEGE_NOT_HELD) {
      return 1;
    }
    if (!win::WTSQueryUserToken(2, &token)) return 2;
    const bool own = win::TokenIdentity(token)->Uid == uid;
    if (!win::ImpersonateLoggedOnUser(token) || !win::RevertToSelf()) return 3;
    win::HANDLE rootToken = win::CreateUserToken({0, 0, {0}, "root", "/root", ""});
    if (win::ImpersonateLoggedOnUser(rootToken) ||
        win::GetLastError() != win::ERROR_PRIVILEGE_NOT_HELD || ::geteuid() != uid) {
      return 4;
    }
    TRecorderRecord record;
    if (RunRecorder(rootToken, "", recordFile, record) ||
        win::GetLastError() != win::ERROR_PRIVILEGE_NOT_HELD) {
      return 5;
    }
    if (!RunRecorder(token, std::string(win::kInteractiveDesktop), recordFile, record) ||
        record["uid"] != std::to_string(uid)) {
      return 6;
    }
    return own && win::CloseHandle(token) ? 0 : 7;
  });
  EXPECT_EQ(code, 0) << "1: root's token was given out, 2: its own was refused, "
                        "3: impersonating itself failed, 4: it became root, "
                        "5: it started a program as root, 6: it could not start one as itself, "
                        "7: wrong token";
}

TEST(Handles, ClosedOrForeignHandlesAreRefused) {
  win::HANDLE token = win::CreateUserToken({});
  ASSERT_TRUE(win::IsOpenHandle(token));
  EXPECT_TRUE(win::CloseHandle(token));
  for (const win::HANDLE stale : {token, static_cast<win::HANDLE>(nullptr)}) {
    win::SetLastError(0);
    EXPECT_FALSE(win::CloseHandle(stale));
    EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_HANDLE);
    EXPECT_EQ(win::TokenIdentity(stale), nullptr);
    win::SetLastError(0);
    EXPECT_FALSE(win::ImpersonateLoggedOnUser(stale));
    EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_HANDLE);
  }
}

// ---- Impersonation with a real user

// A user created for one test and removed afterwards, with a group of its
// own and "users" as a supplementary group.
class ThrowAwayUserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to create a throw-away user";
    if (::access("/usr/sbin/useradd", X_OK) != 0 || ::getgrnam("users") == nullptr) {
      GTEST_SKIP() << "needs useradd and the group users to create a throw-away user";
    }
    FName = "zzid" + std::to_string(::getpid());
    const std::string command = "/usr/sbin/useradd -M -U -G users -s /usr/sbin/nologin -d /home/" +
                                FName + " " + FName + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
      GTEST_SKIP() << "useradd could not create the throw-away user " << FName;
    }
    FCreated = true;
    FPrefix = std::make_unique<TempPrefix>();
    // The user may read the machine, as on an installed one.
    ASSERT_EQ(::chmod(FPrefix->root().c_str(), 0755), 0);
    WriteSessions({{"0", ""}, {"1", FName}});
    ASSERT_TRUE(win::WTSQueryUserToken(1, &FToken));
    FUser = *win::TokenIdentity(FToken);
    // A folder everybody may write to.
    ASSERT_EQ(::chmod(FShared.path().c_str(), 0777), 0);
  }

  void TearDown() override {
    if (FToken != nullptr) win::CloseHandle(FToken);
    win::RevertToSelf();
    FPrefix.reset();
    if (FCreated) {
      const std::string command = "/usr/sbin/userdel " + FName + " >/dev/null 2>&1";
      EXPECT_EQ(std::system(command.c_str()), 0) << "the throw-away user " << FName << " is left";
    }
  }

  std::string FName;
  bool FCreated = false;
  std::unique_ptr<TempPrefix> FPrefix;
  win::HANDLE FToken = nullptr;
  win::TUserIdentity FUser;
  TempDir FShared;
};

struct Owner {
  uid_t uid;
  gid_t gid;
};

Owner OwnerOfNewFile(const fs::path& file) {
  const int fd = ::open(file.c_str(), O_CREAT | O_WRONLY | O_EXCL, 0644);
  if (fd < 0) return {static_cast<uid_t>(-1), static_cast<gid_t>(-1)};
  struct stat st {};
  ::fstat(fd, &st);
  ::close(fd);
  return {st.st_uid, st.st_gid};
}

TEST_F(ThrowAwayUserTest, ImpersonationWritesAsTheUserAndRevertRestoresRoot) {
  const std::vector<gid_t> ownGroups = EffectiveGroups();
  EXPECT_EQ(Sorted(FUser.Groups), Sorted({FUser.Gid, ::getgrnam("users")->gr_gid}));

  ASSERT_TRUE(win::ImpersonateLoggedOnUser(FToken));
  EXPECT_EQ(::geteuid(), FUser.Uid);
  EXPECT_EQ(::getegid(), FUser.Gid);
  EXPECT_EQ(EffectiveGroups(), Sorted(FUser.Groups));
  const Owner asUser = OwnerOfNewFile(FShared.path() / "as-user");
  EXPECT_EQ(asUser.uid, FUser.Uid);
  EXPECT_EQ(asUser.gid, FUser.Gid);
  EXPECT_EQ(OwnerOfNewFile(FPrefix->root() / "root-only").uid, static_cast<uid_t>(-1))
      << "the user may not write into root's own folder";

  ASSERT_TRUE(win::RevertToSelf());
  EXPECT_EQ(::geteuid(), 0u);
  EXPECT_EQ(::getegid(), 0u);
  EXPECT_EQ(EffectiveGroups(), ownGroups);
  const Owner asRoot = OwnerOfNewFile(FShared.path() / "as-root");
  EXPECT_EQ(asRoot.uid, 0u);
  EXPECT_TRUE(win::RevertToSelf()) << "a second revert has nothing to do";
}

TEST_F(ThrowAwayUserTest, ImpersonatingAgainReplacesTheImpersonation) {
  win::HANDLE rootToken = win::CreateUserToken({0, 0, {0}, "root", "/root", ""});
  ASSERT_TRUE(win::ImpersonateLoggedOnUser(FToken));
  ASSERT_TRUE(win::ImpersonateLoggedOnUser(rootToken));
  EXPECT_EQ(::geteuid(), 0u);
  ASSERT_TRUE(win::ImpersonateLoggedOnUser(FToken));
  EXPECT_EQ(::geteuid(), FUser.Uid);
  ASSERT_TRUE(win::RevertToSelf());
  EXPECT_EQ(::geteuid(), 0u);
  win::CloseHandle(rootToken);
}

TEST_F(ThrowAwayUserTest, ChildWithTheTokenRunsAsTheUser) {
  const fs::path recordFile = FShared.path() / "record";
  TScopedVariable out("ARGV_RECORDER_OUT", recordFile.string());
  TScopedVariable display("DISPLAY", ":99");
  TScopedVariable home("HOME", "/caller/home");
  TScopedVariable user("USER", "caller");
  TScopedVariable logname("LOGNAME", "caller");
  win::TUserIdentity withDisplay = FUser;
  withDisplay.Display = ":7";
  win::HANDLE displayToken = win::CreateUserToken(withDisplay);
  struct Case {
    const char* what;
    win::HANDLE token;
    bool impersonating;
    std::string desktop;
    const char* display;
    bool userEnvironment;
  };
  const Case cases[] = {
      {"on the desktop", FToken, false, std::string(win::kInteractiveDesktop), ":99", true},
      {"while impersonating", FToken, true, "WinSta0\\Default", ":99", true},
      {"with the session's display", displayToken, false, std::string(win::kInteractiveDesktop),
       ":7", true},
      {"without a desktop", displayToken, false, "", ":99", false},
  };
  for (const Case& c : cases) {
    if (c.impersonating) {
      ASSERT_TRUE(win::ImpersonateLoggedOnUser(FToken));
    }
    TRecorderRecord record;
    const bool ran = RunRecorder(c.token, c.desktop, recordFile, record);
    ASSERT_TRUE(win::RevertToSelf());
    ASSERT_TRUE(ran) << c.what << ": error " << win::GetLastError();
    EXPECT_EQ(record.Argv, (std::vector<std::string>{record.Argv[0], "started"})) << c.what;
    for (const char* id : {"uid", "euid"}) {
      EXPECT_EQ(record[id], std::to_string(FUser.Uid)) << c.what;
    }
    for (const char* id : {"gid", "egid"}) {
      EXPECT_EQ(record[id], std::to_string(FUser.Gid)) << c.what;
    }
    EXPECT_EQ(record["groups"], Joined(FUser.Groups)) << c.what;
    EXPECT_EQ(record["env.DISPLAY"], c.display) << c.what;
    EXPECT_EQ(record["env.HOME"], c.userEnvironment ? FUser.Home : "/caller/home") << c.what;
    EXPECT_EQ(record["env.USER"], c.userEnvironment ? FName : "caller") << c.what;
    EXPECT_EQ(record["env.LOGNAME"], c.userEnvironment ? FName : "caller") << c.what;
  }
  win::CloseHandle(displayToken);
}

TEST_F(ThrowAwayUserTest, ChildWithoutATokenRunsAsTheProcessItselfWhileImpersonating) {
  const fs::path recordFile = FShared.path() / "record";
  TScopedVariable out("ARGV_RECORDER_OUT", recordFile.string());
  const std::string ownGroups = Joined(EffectiveGroups());
  ASSERT_TRUE(win::ImpersonateLoggedOnUser(FToken));
  TRecorderRecord record;
  const bool ran = RunRecorder(nullptr, "", recordFile, record);
  EXPECT_EQ(::geteuid(), FUser.Uid) << "the caller's impersonation stays";
  ASSERT_TRUE(win::RevertToSelf());
  ASSERT_TRUE(ran) << win::GetLastError();
  for (const char* id : {"uid", "euid", "gid", "egid"}) {
    EXPECT_EQ(record[id], "0") << id;
  }
  EXPECT_EQ(record["groups"], ownGroups);
}

TEST_F(ThrowAwayUserTest, MachineTheUserCannotReadFailsTheStartWithoutRaising) {
  const std::string commandLine = RecorderCommandLine();
  ASSERT_EQ(::chmod(FPrefix->root().c_str(), 0700), 0);
  ASSERT_TRUE(win::ImpersonateLoggedOnUser(FToken));
  win::TProcessInformation info;
  bool started = true;
  EXPECT_NO_THROW(started = win::CreateProcess(commandLine, false, "", {}, info));
  EXPECT_NO_THROW(win::ShellExecute("C:\\Next.exe", "", "", nullptr));
  ASSERT_TRUE(win::RevertToSelf());
  EXPECT_FALSE(started);
  EXPECT_EQ(info.Process, nullptr);
}

TEST(ChildIdentity, FailedDropNeverRunsTheProgram) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root: only root drops to another user";
  TempPrefix prefix;
  TempDir out;
  const fs::path recordFile = out.path() / "record";
  TScopedVariable outVariable("ARGV_RECORDER_OUT", recordFile.string());
  const auto bad = static_cast<gid_t>(-1);
  const win::TUserIdentity cases[] = {
      {65534, 65534, {65534, bad}, "bad group", "/", ""},
      {65534, bad, {65534}, "bad gid", "/", ""},
      {static_cast<uid_t>(-1), 65534, {65534}, "bad uid", "/", ""},
  };
  for (const win::TUserIdentity& identity : cases) {
    win::HANDLE token = win::CreateUserToken(identity);
    TRecorderRecord record;
    win::SetLastError(0);
    EXPECT_FALSE(RunRecorder(token, std::string(win::kInteractiveDesktop), recordFile, record))
        << identity.UserName;
    EXPECT_EQ(win::GetLastError(), win::ERROR_PRIVILEGE_NOT_HELD) << identity.UserName;
    EXPECT_FALSE(fs::exists(recordFile)) << identity.UserName << ": the program ran";
    win::CloseHandle(token);
  }
}

}  // namespace
