// The host seam. The contract tests run against the host's instance, a
// wrapper that forwards everything and the tests' fault-injecting double with
// no fault set, so that a double starts from the host's behaviour; the host's own properties
// (no litter when killed, stale temporaries, links swapped under a folder
// being made) follow.
#include "platform/env.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/env_posix.h"
#include "platform/error.h"
#include "tests/support/fault_env.h"
#include "tests/support/temp_prefix.h"

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

std::vector<std::string> NamesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

mode_t ModeOf(const fs::path& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

enum class TInstance { Host, Wrapper, FaultEnvWithoutFaults };

class EnvContract : public ::testing::TestWithParam<TInstance> {
 protected:
  win::TEnv& Env() {
    switch (GetParam()) {
      case TInstance::Host:
        return *win::TEnv::Default();
      case TInstance::Wrapper:
        return FWrapper;
      case TInstance::FaultEnvWithoutFaults:
        break;
    }
    if (!FFaultEnv) FFaultEnv.emplace();
    return *FFaultEnv;
  }

  win::TEnvWrapper FWrapper{win::TEnv::Default()};
  std::optional<testing_support::TFaultEnv> FFaultEnv;
  TempDir FDir;
};

INSTANTIATE_TEST_SUITE_P(HostAndDoubles, EnvContract,
                         ::testing::Values(TInstance::Host, TInstance::Wrapper,
                                           TInstance::FaultEnvWithoutFaults),
                         [](const ::testing::TestParamInfo<TInstance>& info) {
                           switch (info.param) {
                             case TInstance::Host:
                               return "Host";
                             case TInstance::Wrapper:
                               return "Wrapper";
                             case TInstance::FaultEnvWithoutFaults:
                               break;
                           }
                           return "FaultEnvWithoutFaults";
                         });

}  // namespace

TEST_P(EnvContract, WriteAppendReadRoundTripLeavesOnlyTheFile) {
  const fs::path file = FDir.path() / "a.bin";
  const std::string data("one\0two\r\n", 9);
  ASSERT_TRUE(Env().WriteFileAtomic(file, data));
  ASSERT_TRUE(Env().AppendFile(file, "three"));
  ASSERT_TRUE(Env().AppendFile(FDir.path() / "new.log", "first"));
  std::string back;
  ASSERT_TRUE(Env().ReadFile(file, back));
  EXPECT_EQ(back, data + "three");
  EXPECT_EQ(ReadFile(FDir.path() / "new.log"), "first");
  ASSERT_TRUE(Env().WriteFileAtomic(file, "replaced"));
  EXPECT_EQ(ReadFile(file), "replaced");
  EXPECT_EQ(NamesIn(FDir.path()), (std::vector<std::string>{"a.bin", "new.log"}));
}

TEST_P(EnvContract, NewFilesTakeTheUmaskAndReplacedOnesKeepTheirBits) {
  const mode_t saved = ::umask(022);
  const fs::path file = FDir.path() / "a.txt";
  ASSERT_TRUE(Env().WriteFileAtomic(file, "old"));
  EXPECT_EQ(ModeOf(file), 0644u);
  ::chmod(file.c_str(), 0640);
  ASSERT_TRUE(Env().WriteFileAtomic(file, "new"));
  EXPECT_EQ(ModeOf(file), 0640u);
  ASSERT_TRUE(Env().CreateFileExclusive(FDir.path() / "b.txt", "b"));
  EXPECT_EQ(ModeOf(FDir.path() / "b.txt"), 0644u);
  ::umask(saved);
}

TEST_P(EnvContract, ReadsInPiecesIntoTheCallersBuffer) {
  const std::string data(100000, 'x');
  WriteFile(FDir.path() / "big", data);
  std::unique_ptr<win::TReadableFile> file;
  ASSERT_TRUE(Env().OpenReadable(FDir.path() / "big", file));
  EXPECT_EQ(file->Size(), data.size());
  std::string back;
  char buffer[4096];
  std::size_t got = 0;
  while (file->Read(buffer, sizeof buffer, got) && got > 0) back.append(buffer, got);
  EXPECT_EQ(got, 0u);
  EXPECT_TRUE(back == data) << back.size() << " bytes read";
}

TEST_P(EnvContract, FailuresCarryWindowsCodes) {
  WriteFile(FDir.path() / "taken", "x");
  std::string data;
  std::unique_ptr<win::TReadableFile> readable;
  std::vector<std::string> names;
  const fs::path missing = FDir.path() / "missing";
  const fs::path noFolder = FDir.path() / "no" / "such" / "a.txt";
  const struct {
    const char* what;
    std::function<bool()> call;
    win::DWORD code;
  } cases[] = {
      {"read a missing file", [&] { return Env().ReadFile(missing, data); },
       win::ERROR_FILE_NOT_FOUND},
      {"read in a missing folder", [&] { return Env().ReadFile(noFolder, data); },
       win::ERROR_PATH_NOT_FOUND},
      {"read a folder", [&] { return Env().OpenReadable(FDir.path(), readable); },
       win::ERROR_ACCESS_DENIED},
      {"write in a missing folder", [&] { return Env().WriteFileAtomic(noFolder, "x"); },
       win::ERROR_PATH_NOT_FOUND},
      {"write over a folder", [&] { return Env().WriteFileAtomic(FDir.path(), "x"); },
       win::ERROR_ACCESS_DENIED},
      {"append in a missing folder", [&] { return Env().AppendFile(noFolder, "x"); },
       win::ERROR_PATH_NOT_FOUND},
      {"create a taken name", [&] { return Env().CreateFileExclusive(FDir.path() / "taken", "y"); },
       win::ERROR_FILE_EXISTS},
      {"create in a missing folder", [&] { return Env().CreateFileExclusive(noFolder, "y"); },
       win::ERROR_PATH_NOT_FOUND},
      {"list a missing folder", [&] { return Env().ListFolder(missing, names); },
       win::ERROR_FILE_NOT_FOUND},
      {"make a folder in a missing one",
       [&] { return Env().CreateFolderTakingParentRights(noFolder); }, win::ERROR_PATH_NOT_FOUND},
      {"make a folder over a file",
       [&] { return Env().CreateFolderTakingParentRights(FDir.path() / "taken"); },
       win::ERROR_ALREADY_EXISTS},
  };
  for (const auto& c : cases) {
    win::SetLastError(0);
    EXPECT_FALSE(c.call()) << c.what;
    EXPECT_EQ(win::GetLastError(), c.code) << c.what;
  }
  // Nothing the failures touched was changed or left behind.
  EXPECT_EQ(ReadFile(FDir.path() / "taken"), "x");
  EXPECT_EQ(NamesIn(FDir.path()), std::vector<std::string>{"taken"});
}

TEST_P(EnvContract, AReadOnlyFileIsNotReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write any file; run as an ordinary user";
  const fs::path file = FDir.path() / "ro.txt";
  WriteFile(file, "old");
  ::chmod(file.c_str(), 0444);
  EXPECT_FALSE(Env().WriteFileAtomic(file, "new"));
  EXPECT_EQ(win::GetLastError(), win::ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadFile(file), "old");
}

TEST_P(EnvContract, ListsAFolder) {
  for (const char* name : {"b", ".hidden", "a"}) WriteFile(FDir.path() / name, "");
  fs::create_directory(FDir.path() / "sub");
  std::vector<std::string> names;
  ASSERT_TRUE(Env().ListFolder(FDir.path(), names));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".hidden", "a", "b", "sub"}));
}

TEST_P(EnvContract, AFolderTakesItsParentsGroupAndBits) {
  const fs::path parent = FDir.path() / "parent";
  fs::create_directory(parent);
  const struct { mode_t parentMode; } cases[] = {{0751}, {0777}, {02770}, {01733}};
  for (const auto& c : cases) {
    ASSERT_EQ(::chmod(parent.c_str(), c.parentMode), 0);
    const fs::path folder = parent / ("f" + std::to_string(c.parentMode));
    ASSERT_TRUE(Env().CreateFolderTakingParentRights(folder)) << std::oct << c.parentMode;
    struct stat made {};
    struct stat above {};
    ASSERT_EQ(::stat(folder.c_str(), &made), 0);
    ASSERT_EQ(::stat(parent.c_str(), &above), 0);
    EXPECT_EQ(made.st_mode & 07777, c.parentMode) << std::oct << c.parentMode;
    EXPECT_EQ(made.st_gid, above.st_gid);
    EXPECT_EQ(made.st_uid, ::geteuid());
  }
}

TEST_P(EnvContract, StartsProgramsAndReportsThoseThatCannotStart) {
  const fs::path out = FDir.path() / "out";
  win::TProgramStart start;
  start.Program = "/bin/sh";
  start.Argv = {"sh", "-c", "pwd > \"$0\"", out.string()};
  start.Directory = FDir.path();
  win::TStartedProgram started;
  ASSERT_TRUE(Env().StartProgram(start, started));
  int status = 0;
  ASSERT_EQ(::waitpid(started.Pid, &status, 0), started.Pid);
  if (started.PidFd >= 0) ::close(started.PidFd);
  EXPECT_EQ(ReadFile(out), fs::canonical(FDir.path()).string() + "\n");

  WriteFile(FDir.path() / "plain", "not a program");
  ::chmod((FDir.path() / "plain").c_str(), 0755);
  const struct {
    const char* what;
    fs::path program;
    fs::path directory;
    win::DWORD code;
  } cases[] = {
      {"a missing program", FDir.path() / "missing", {}, win::ERROR_FILE_NOT_FOUND},
      {"a file that is no program", FDir.path() / "plain", {}, win::ERROR_BAD_FORMAT},
      {"a missing directory", "/bin/true", FDir.path() / "gone", win::ERROR_DIRECTORY},
  };
  for (const auto& c : cases) {
    win::TProgramStart failing;
    failing.Program = c.program;
    failing.Argv = {"x"};
    failing.Directory = c.directory;
    EXPECT_FALSE(Env().StartProgram(failing, started)) << c.what;
    EXPECT_EQ(win::GetLastError(), c.code) << c.what;
  }
  // The failed children were reaped before the calls returned.
  EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);
}

TEST_P(EnvContract, AProgramWithNullStandardHandlesGetsNothingElse) {
  const fs::path out = FDir.path() / "fds";
  // Descriptors the caller holds: one to inherit, the caller's own standard
  // ones.
  const int inheritable = ::open(FDir.path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(inheritable, 3);
  win::TProgramStart start;
  start.Program = "/bin/sh";
  // The shell looks at its own descriptors without redirecting any (the
  // descriptor its folder listing used is gone when it is looked at).
  start.Argv = {"sh", "-c",
                "r=; for f in /proc/$$/fd/*; do [ -e \"$f\" ] && r=\"$r ${f##*/}\"; done; "
                "for n in 0 1 2; do [ /proc/$$/fd/$n -ef /dev/null ] && r=\"$r null\"; done; "
                "echo \"$r\" > \"$0\"",
                out.string()};
  start.NullStandardHandles = true;
  win::TStartedProgram started;
  ASSERT_TRUE(Env().StartProgram(start, started));
  int status = 0;
  ::waitpid(started.Pid, &status, 0);
  if (started.PidFd >= 0) ::close(started.PidFd);
  ::close(inheritable);
  EXPECT_EQ(ReadFile(out), " 0 1 2 null null null\n");
}

// ---- The host's own properties

namespace {

const win::TTemporaryKind kKinds[] = {win::TTemporaryKind::Unnamed, win::TTemporaryKind::Named};

const char* KindName(win::TTemporaryKind kind) {
  return kind == win::TTemporaryKind::Unnamed ? "unnamed" : "named";
}

// Runs `step` in a child with files limited to `limit` bytes; its exit code.
template <typename Step>
int InChildWithFileLimit(rlim_t limit, const Step& step) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &small);
    ::_exit(step());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(HostEnv, AWriteThatRunsOutOfRoomLeavesTheOldFileAndNothingElse) {
  for (const win::TTemporaryKind kind : kKinds) {
    TempDir dir;
    const fs::path file = dir.path() / "capture.ruz";
    const std::string big(256 * 1024, 'b');
    EXPECT_EQ(InChildWithFileLimit(
                  4096, [&] { return win::WriteFileAtomicWith(file, big, kind) ? 1 : 0; }),
              0)
        << KindName(kind);
    EXPECT_TRUE(NamesIn(dir.path()).empty()) << KindName(kind);
    WriteFile(file, "old");
    EXPECT_EQ(InChildWithFileLimit(
                  4096, [&] { return win::WriteFileAtomicWith(file, big, kind) ? 1 : 0; }),
              0)
        << KindName(kind);
    EXPECT_EQ(NamesIn(dir.path()), std::vector<std::string>{"capture.ruz"}) << KindName(kind);
    EXPECT_EQ(ReadFile(file), "old") << KindName(kind);
  }
}

TEST(HostEnv, ReadersNeverSeeHalfAFile) {
  TempDir dir;
  const fs::path file = dir.path() / "big.txt";
  const std::string first(1 << 20, 'a');
  const std::string second(1 << 20, 'b');
  ASSERT_TRUE(win::Env().WriteFileAtomic(file, first));
  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  std::thread reader([&] {
    while (!done) {
      std::string seen;
      if (win::Env().ReadFile(file, seen) && seen != first && seen != second) ++torn;
    }
  });
  for (int i = 0; i < 20; ++i) {
    for (const win::TTemporaryKind kind : kKinds) {
      ASSERT_TRUE(win::WriteFileAtomicWith(file, i % 2 ? first : second, kind));
    }
  }
  done = true;
  reader.join();
  EXPECT_EQ(torn, 0);
}

TEST(HostEnv, AKilledWriterLeavesNoFileOrTheWholeFile) {
  // The named way may leave its temporary; the next write in the folder
  // removes it.
  const std::string data(8 << 20, 'k');
  std::mt19937 random(12345);
  for (const win::TTemporaryKind kind : kKinds) {
    TempDir dir;
    const fs::path file = dir.path() / "job.ruz";
    for (int attempt = 0; attempt < 30; ++attempt) {
      fs::remove(file);
      const pid_t child = ::fork();
      if (child == 0) ::_exit(win::WriteFileAtomicWith(file, data, kind) ? 0 : 1);
      std::this_thread::sleep_for(
          std::chrono::microseconds(std::uniform_int_distribution<int>(0, 20000)(random)));
      ::kill(child, SIGKILL);
      ::waitpid(child, nullptr, 0);
      if (fs::exists(file)) {
        EXPECT_EQ(fs::file_size(file), data.size()) << KindName(kind);
      }
      std::vector<std::string> names = NamesIn(dir.path());
      std::erase(names, "job.ruz");
      if (kind == win::TTemporaryKind::Unnamed) {
        EXPECT_TRUE(names.empty()) << names.front();
      }
      EXPECT_LE(names.size(), 1u);
      ASSERT_TRUE(win::WriteFileAtomicWith(dir.path() / "next.txt", "n", kind));
      EXPECT_EQ(NamesIn(dir.path()).size(), fs::exists(file) ? 2u : 1u) << KindName(kind);
      fs::remove(dir.path() / "next.txt");
    }
  }
}

TEST(HostEnv, OnlyTemporariesNobodyHoldsAreRemoved) {
  TempDir dir;
  const fs::path stale = dir.path() / ".job.ruz.tmpAb12Cd";
  const fs::path held = dir.path() / ".other.ruz.tmpXy34Zw";
  const fs::path lookalike = dir.path() / ".job.ruz.tmp-notours";
  for (const fs::path& file : {stale, held, lookalike}) WriteFile(file, "partial");
  const int holder = ::open(held.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  for (const win::TTemporaryKind kind : kKinds) {
    ASSERT_TRUE(win::WriteFileAtomicWith(dir.path() / "a.txt", "a", kind));
    // The way without a temporary name has none to clean for a new file.
    ASSERT_TRUE(win::WriteFileAtomicWith(dir.path() / "a.txt", "replaced", kind));
    EXPECT_EQ(NamesIn(dir.path()),
              (std::vector<std::string>{".job.ruz.tmp-notours", ".other.ruz.tmpXy34Zw", "a.txt"}))
        << KindName(kind);
    WriteFile(stale, "partial");
  }
  ::close(holder);
}

TEST(HostEnv, ExclusiveCreateOfBothKindsHasOneWinner) {
  for (const win::TTemporaryKind kind : kKinds) {
    TempDir dir;
    const fs::path file = dir.path() / "once";
    std::atomic<int> winners{0};
    std::vector<std::thread> creators;
    for (int i = 0; i < 8; ++i) {
      creators.emplace_back([&, i] {
        if (win::CreateFileExclusiveWith(file, std::to_string(i), kind)) ++winners;
      });
    }
    for (std::thread& creator : creators) creator.join();
    EXPECT_EQ(winners, 1) << KindName(kind);
    EXPECT_EQ(NamesIn(dir.path()), std::vector<std::string>{"once"}) << KindName(kind);
  }
}

TEST(HostEnv, ALinkSwappedInForANewFolderNeverGetsItsRights) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "needs root: the folder is made by root in a folder another user may write";
  }
  // The other user needs no account: an id nobody has is all it takes.
  constexpr uid_t kOther = 4012345;
  constexpr gid_t kOtherGroup = 4012345;
  TempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  const fs::path shared = dir.path() / "shared";
  fs::create_directory(shared);
  ASSERT_EQ(::chown(shared.c_str(), kOther, kOtherGroup), 0);
  ASSERT_EQ(::chmod(shared.c_str(), 0777), 0);
  const fs::path victim = dir.path() / "victim";
  WriteFile(victim, "root's own");
  ASSERT_EQ(::chmod(victim.c_str(), 0600), 0);
  const fs::path folder = shared / "Capture";
  const fs::path stop = shared / "stop";

  int counter[2];
  ASSERT_EQ(::pipe(counter), 0);
  const pid_t swapper = ::fork();
  if (swapper == 0) {
    ::close(counter[0]);
    if (::setgroups(0, nullptr) != 0 || ::setgid(kOtherGroup) != 0 || ::setuid(kOther) != 0) {
      ::_exit(1);
    }
    int swaps = 0;
    while (::access(stop.c_str(), F_OK) != 0) {
      if (::rmdir(folder.c_str()) == 0 && ::symlink(victim.c_str(), folder.c_str()) == 0) ++swaps;
    }
    if (::write(counter[1], &swaps, sizeof swaps) != sizeof swaps) ::_exit(2);
    ::_exit(0);
  }
  ::close(counter[1]);
  int made = 0;
  for (int attempt = 0; attempt < 2000; ++attempt) {
    ::unlink(folder.c_str());
    ::rmdir(folder.c_str());
    if (win::TEnv::Default()->CreateFolderTakingParentRights(folder)) ++made;
  }
  WriteFile(stop, "");
  int swaps = -1;
  ASSERT_EQ(::read(counter[0], &swaps, sizeof swaps), static_cast<ssize_t>(sizeof swaps));
  ::close(counter[0]);
  int status = 0;
  ::waitpid(swapper, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the swapper could not run";

  struct stat st {};
  ASSERT_EQ(::stat(victim.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 0u);
  EXPECT_EQ(st.st_gid, 0u);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(ReadFile(victim), "root's own");
  std::cout << "folders made: " << made << ", links swapped in: " << swaps << "\n";
}
