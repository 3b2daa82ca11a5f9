// The real installer, run in a fresh prefix from a folder on drive C:, as
// an administrator would run it beside the converter.
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/prefix.h"
#include "platform/registry.h"
#include "platform/tests/pe_image.h"
#include "platform/version_block.h"
#include "tests/support/temp_prefix.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::TempPrefix;
using testing_support::WriteFile;

constexpr char kInstallFolder[] = "C:\\Zerurud";
constexpr char kDriverDirectory[] = "C:\\Windows\\System32\\spool\\drivers\\w32x86";
constexpr char kDriverKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\Version-"
    "3\\Zerurud Print Driver";
constexpr char kPortsKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Local Port\\Ports";
constexpr char kPrinterKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\Zerurud Printer";
constexpr char kConfigKey[] = "SOFTWARE\\Zerurud\\Printer";
const char* const kDriverFiles[] = {"PSCRIPT5.DLL", "ZERURUD.PPD",  "PS5UI.DLL",   "PSCRIPT.HLP",
                                    "PSCRIPT.NTF",  "VAVAVIDI.INI", "VAVAVIDI.DLL"};

struct TRun {
  int ExitCode = -1;
  std::string Stdout;
  std::string Stderr;
};

std::string ReadAll(int fd) {
  ::lseek(fd, 0, SEEK_SET);
  std::string data;
  char buffer[4096];
  ssize_t got;
  while ((got = ::read(fd, buffer, sizeof buffer)) > 0) data.append(buffer, got);
  return data;
}

// Runs `program` with `args`, the test's environment (its prefix) and
// current directory, as `user` when given, and waits for it.
TRun RunProgram(const fs::path& program, const std::vector<std::string>& args,
                const passwd* user = nullptr) {
  const int out = ::memfd_create("stdout", MFD_CLOEXEC);
  const int err = ::memfd_create("stderr", MFD_CLOEXEC);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
  std::vector<std::string> words{program.string()};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  TRun run;
  if (user != nullptr) {
    child = ::fork();
    if (child == 0) {
      const gid_t gid = user->pw_gid;
      if (::dup2(out, STDOUT_FILENO) < 0 || ::dup2(err, STDERR_FILENO) < 0 ||
          ::setgroups(1, &gid) != 0 || ::setgid(gid) != 0 || ::setuid(user->pw_uid) != 0) {
        ::_exit(125);
      }
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
  } else if (::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
    child = -1;
  }
  if (child > 0) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  run.Stdout = ReadAll(out);
  run.Stderr = ReadAll(err);
  ::close(out);
  ::close(err);
  return run;
}

std::string VersionImage(const std::string& fileVersion) {
  win::TVersionResource resource;
  resource.StringTables.push_back({"040904E4", {{"FileVersion", fileVersion}}});
  return win_testing::PeImageWithVersion(win::BuildVersionBlock(resource));
}

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(FPrefix.OnDriveC(kInstallFolder));
    fs::copy_file(INSTALLER_PATH, Installer());
  }

  fs::path Installer() const { return FPrefix.OnDriveC(kInstallFolder) / "RorudazIDOrezade"; }
  void PlaceConverter() {
    fs::copy_file(VAVAVIDI_PATH, FPrefix.OnDriveC(kInstallFolder) / "VAVavidi");
  }
  void PlaceDriverFiles(const std::string& except = "") {
    for (const char* name : kDriverFiles) {
      if (name == except) continue;
      const fs::path target = FPrefix.OnDriveC(std::string(kDriverDirectory) + "\\" + name);
      fs::create_directories(target.parent_path());
      fs::copy_file(fs::path(DRIVER_FILES_DIR) / name, target,
                    fs::copy_options::overwrite_existing);
    }
  }

  TRun RunInstaller(const std::vector<std::string>& args = {}, const passwd* user = nullptr) {
    const TRun run = RunProgram(Installer(), args, user);
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Stdout, "");
    return run;
  }

  static std::string Comment() {
    win::TRegistry printer;
    if (!printer.OpenKeyReadOnly(kPrinterKey)) return "(no printer)";
    return printer.ReadString("Description");
  }

  // A configuration to normalise and shortcuts to remove.
  void PrepareMachine() {
    win::TRegistry config;
    ASSERT_TRUE(config.OpenKey(kConfigKey, true));
    config.WriteString("FilePath", "C:\\Capture\\..\\Out");
    config.WriteString("Chain", "Apps\\DAVURI.EXE");
    WriteFile(FStartup, "shortcut");
  }
  void ExpectMachinePrepared() {
    win::TRegistry config;
    ASSERT_TRUE(config.OpenKeyReadOnly(kConfigKey));
    EXPECT_EQ(config.ReadString("FilePath"), "C:\\Out");
    EXPECT_EQ(config.ReadString("Chain"), "C:\\Apps\\DAVURI.EXE");
    EXPECT_FALSE(fs::exists(FStartup));
  }

  TempPrefix FPrefix;
  const fs::path FStartup = FPrefix.OnDriveC(
      "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Startup\\ZUzirav.lnk");
};

TEST_F(InstallerTest, AFirstRunCreatesTheDriverThePortAndThePrinter) {
  PlaceConverter();
  PlaceDriverFiles();
  PrepareMachine();
  EXPECT_EQ(RunInstaller().Stderr, "");

  win::TRegistry driver;
  ASSERT_TRUE(driver.OpenKeyReadOnly(kDriverKey));
  EXPECT_EQ(driver.ReadInteger("Version"), 3);
  EXPECT_EQ(driver.ReadString("Driver"), "PSCRIPT5.DLL");
  EXPECT_EQ(driver.ReadString("Data File"), "ZERURUD.PPD");
  EXPECT_EQ(driver.ReadString("Configuration File"), "PS5UI.DLL");
  EXPECT_EQ(driver.ReadString("Help File"), "PSCRIPT.HLP");
  EXPECT_EQ(driver.ReadMultiString("Dependent Files"),
            (std::vector<std::string>{"PSCRIPT.NTF", "VAVAVIDI.INI", "VAVAVIDI.DLL"}));
  EXPECT_EQ(driver.ReadString("Manufacturer"), "Zerurud");
  EXPECT_EQ(driver.ReadString("Provider"), "Zerurud");
  EXPECT_EQ(driver.ReadBinary("DriverVersion"), std::string("\x01\0\0\0\0\0\0\0", 8));
  for (const char* name : kDriverFiles) {
    EXPECT_TRUE(fs::exists(FPrefix.OnDriveC(std::string(kDriverDirectory) + "\\3\\" + name)));
  }

  win::TRegistry ports;
  ASSERT_TRUE(ports.OpenKeyReadOnly(kPortsKey));
  EXPECT_EQ(ports.GetValueNames(), std::vector<std::string>{"NUL:"});

  win::TRegistry printer;
  ASSERT_TRUE(printer.OpenKeyReadOnly(kPrinterKey));
  EXPECT_EQ(printer.ReadString("Name"), "Zerurud Printer");
  EXPECT_EQ(printer.ReadString("Port"), "NUL:");
  EXPECT_EQ(printer.ReadString("Printer Driver"), "Zerurud Print Driver");
  EXPECT_EQ(printer.ReadString("Description"), "Version " PROJECT_VERSION);
  EXPECT_EQ(printer.ReadString("Print Processor"), "WinPrint");
  EXPECT_EQ(printer.ReadString("Datatype"), "RAW");
  EXPECT_EQ(printer.ReadString("Share Name"), "");
  EXPECT_EQ(printer.ReadInteger("Attributes"), 4);
  EXPECT_EQ(printer.ReadInteger("Priority"), 1);
  EXPECT_EQ(printer.ReadInteger("Default Priority"), 1);
  ExpectMachinePrepared();

  // The records as an administrator sees them.
  const TRun query = RunProgram(REG_PROGRAM, {"query", std::string("HKLM\\") + kPrinterKey});
  EXPECT_EQ(query.ExitCode, 0);
  for (const char* line : {"    Printer Driver    REG_SZ    Zerurud Print Driver\n",
                           "    Description    REG_SZ    Version " PROJECT_VERSION "\n",
                           "    Priority    REG_DWORD    0x1\n"}) {
    EXPECT_NE(query.Stdout.find(line), std::string::npos) << line << query.Stdout;
  }
  const TRun drivers = RunProgram(REG_PROGRAM, {"query", std::string("HKLM\\") + kDriverKey});
  EXPECT_NE(drivers.Stdout.find("    Dependent Files    REG_MULTI_SZ    "
                                "PSCRIPT.NTF\\0VAVAVIDI.INI\\0VAVAVIDI.DLL"),
            std::string::npos)
      << drivers.Stdout;
}

TEST_F(InstallerTest, WithoutAConverterBesideItTheCommentHasTheFallback) {
  PlaceDriverFiles();
  fs::create_directories(FPrefix.OnDriveC("C:\\Elsewhere"));
  fs::copy_file(VAVAVIDI_PATH, FPrefix.OnDriveC("C:\\Elsewhere") / "VAVavidi");
  RunInstaller();
  EXPECT_EQ(Comment(), "Version 0.0.0.0");
}

TEST_F(InstallerTest, AConverterNamedWithItsWindowsNameIsReadToo) {
  PlaceDriverFiles();
  WriteFile(FPrefix.OnDriveC(kInstallFolder) / "VAVavidi.exe", VersionImage("2, 0, 1, 5"));
  RunInstaller();
  EXPECT_EQ(Comment(), "Version 2, 0, 1, 5");
}

TEST_F(InstallerTest, WithoutThePpdNeitherPortNorPrinterYetTheRestRuns) {
  PlaceConverter();
  PlaceDriverFiles("ZERURUD.PPD");
  PrepareMachine();
  EXPECT_EQ(RunInstaller().Stderr, "");
  win::TRegistry registry;
  EXPECT_FALSE(registry.KeyExists(kDriverKey));
  EXPECT_FALSE(registry.KeyExists(kPortsKey));
  EXPECT_FALSE(registry.KeyExists(kPrinterKey));
  ExpectMachinePrepared();
}

TEST_F(InstallerTest, ASecondRunLeavesThePrinterAsItWas) {
  PlaceConverter();
  PlaceDriverFiles();
  RunInstaller();
  const std::vector<std::string> query{"query", std::string("HKLM\\") + kPrinterKey};
  const std::string before = RunProgram(REG_PROGRAM, query).Stdout;
  ASSERT_NE(before.find("Version " PROJECT_VERSION), std::string::npos);

  fs::remove(FPrefix.OnDriveC(kInstallFolder) / "VAVavidi");
  WriteFile(FPrefix.OnDriveC(kInstallFolder) / "VAVavidi.exe", VersionImage("9.9.9.9"));
  RunInstaller();
  EXPECT_EQ(RunProgram(REG_PROGRAM, query).Stdout, before);
  win::TRegistry ports;
  ASSERT_TRUE(ports.OpenKeyReadOnly(kPortsKey));
  EXPECT_EQ(ports.GetValueNames(), std::vector<std::string>{"NUL:"});
}

TEST_F(InstallerTest, ArgumentsChangeNothing) {
  PlaceConverter();
  PlaceDriverFiles();
  PrepareMachine();
  const std::string hiveBefore = ReadFile(win::HivePath());
  RunInstaller();
  const std::string withoutArguments = ReadFile(win::HivePath());

  WriteFile(win::HivePath(), hiveBefore);
  WriteFile(FStartup, "shortcut");
  RunInstaller({"/u", "Zerurud Printer", "-q", ""});
  EXPECT_EQ(ReadFile(win::HivePath()), withoutArguments);
  ExpectMachinePrepared();
}

TEST_F(InstallerTest, AValueThatIsNotAStringIsNamedAndStopsTheNormalisation) {
  PlaceConverter();
  PlaceDriverFiles();
  win::TRegistry config;
  ASSERT_TRUE(config.OpenKey(kConfigKey, true));
  config.WriteInteger("FilePath", 5);
  config.WriteString("Command Line", "Out");
  config.WriteString("Chain", "Out");
  const TRun run = RunInstaller();
  EXPECT_EQ(run.Stderr,
            "RorudazIDOrezade: Invalid data type for 'FilePath'; the printer's paths from that "
            "value on were left as they were\n");
  EXPECT_EQ(config.ReadString("Command Line"), "Out");
  EXPECT_EQ(config.ReadString("Chain"), "Out");
  EXPECT_EQ(Comment(), "Version " PROJECT_VERSION);
}

TEST_F(InstallerTest, WithoutTheRightToWriteTheHiveNothingChanges) {
  const passwd* nobody = ::getpwnam("nobody");
  if (::geteuid() != 0 || nobody == nullptr) GTEST_SKIP() << "needs root and a user 'nobody'";
  PlaceConverter();
  PlaceDriverFiles();
  PrepareMachine();
  fs::permissions(FPrefix.root(), fs::perms::owner_all | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read |
                                      fs::perms::others_exec);
  const std::string hiveBefore = ReadFile(win::HivePath());
  EXPECT_EQ(RunInstaller({}, nobody).Stderr, "");
  EXPECT_EQ(ReadFile(win::HivePath()), hiveBefore);
  EXPECT_TRUE(fs::exists(FStartup));  // in a folder that user may not change
}

}  // namespace
