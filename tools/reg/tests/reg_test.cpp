// The reg command, run as the real program against a throw-away prefix.
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/prefix.h"
#include "platform/registry.h"
#include "tests/support/temp_prefix.h"

namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

struct TResult {
  int ExitCode;
  std::string Out;
  std::string Err;
};

std::string ShellQuoted(const std::string& arg) {
  std::string quoted = "'";
  for (const char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

class Reg : public ::testing::Test {
 protected:
  TResult Run(const std::vector<std::string>& args, const std::string& input = "") {
    const auto in = FScratch.path() / "in";
    const auto out = FScratch.path() / "out";
    const auto err = FScratch.path() / "err";
    WriteFile(in, input);
    std::string command = ShellQuoted(REG_PROGRAM);
    for (const std::string& arg : args) command += " " + ShellQuoted(arg);
    command += " <" + ShellQuoted(in) + " >" + ShellQuoted(out) + " 2>" + ShellQuoted(err);
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
  }

  void ExpectSuccess(const std::vector<std::string>& args) {
    const TResult result = Run(args);
    EXPECT_EQ(result.ExitCode, 0) << args[0] << ": " << result.Err;
    EXPECT_EQ(result.Out, "The operation completed successfully.\n") << args[0];
  }

  testing_support::TempPrefix FPrefix;
  testing_support::TempDir FScratch;
};

TEST_F(Reg, AddThenQueryAValue) {
  ExpectSuccess({"add", "HKLM\\SOFTWARE\\Zerurud\\Printer", "/v", "FilePath", "/t", "REG_SZ", "/d",
                 "C:\\Capture", "/f"});
  const TResult result = Run({"query", "HKLM\\software\\zerurud\\printer", "/v", "filepath"});
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_EQ(result.Out,
            "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Zerurud\\Printer\n    FilePath    REG_SZ    "
            "C:\\Capture\n\n");

  // What the programs read is what reg wrote.
  win::TRegistry registry(win::KEY_READ);
  ASSERT_TRUE(registry.OpenKey("SOFTWARE\\Zerurud\\Printer", false));
  EXPECT_EQ(registry.ReadString("FilePath"), "C:\\Capture");
}

TEST_F(Reg, QueryListsEveryTypeAndTheSubkeys) {
  const std::string key = "HKEY_LOCAL_MACHINE\\Software\\Zerurud\\Ruvuduzer";
  ExpectSuccess({"ADD", key, "/V", "Host", "/D", "db1", "/F"});
  ExpectSuccess({"add", "hklm\\software\\zerurud\\ruvuduzer", "/ve", "/d", "product", "/f"});
  ExpectSuccess({"add", key, "/v", "Port", "/t", "reg_dword", "/d", "0x0cea", "/f"});
  ExpectSuccess(
      {"add", key, "/v", "Path", "/t", "REG_EXPAND_SZ", "/d", "%ProgramFiles%\\VEZ", "/f"});
  ExpectSuccess({"add", key, "/v", "Key", "/t", "REG_BINARY", "/d", "00ff10", "/f"});
  ExpectSuccess({"add", key, "/v", "Suite", "/t", "REG_MULTI_SZ", "/d", "a\\0b", "/f"});
  ExpectSuccess({"add", key + "\\Sub", "/f"});
  const TResult result = Run({"query", "HKLM\\SOFTWARE\\ZERURUD\\RUVUDUZER"});
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_EQ(result.Out, "\n" + key +
                            "\n"
                            "    Host    REG_SZ    db1\n"
                            "    (Default)    REG_SZ    product\n"
                            "    Port    REG_DWORD    0xcea\n"
                            "    Path    REG_EXPAND_SZ    %ProgramFiles%\\VEZ\n"
                            "    Key    REG_BINARY    00FF10\n"
                            "    Suite    REG_MULTI_SZ    a\\0b\n"
                            "\n" +
                            key + "\\Sub\n\n");
}

TEST_F(Reg, ErrorsAreOneLineAndExitOne) {
  ExpectSuccess({"add", "HKLM\\K", "/v", "v", "/d", "1", "/f"});
  struct {
    std::vector<std::string> args;
    const char* message;
  } const cases[] = {
      {{"query", "HKLM\\Missing"},
       "ERROR: The system was unable to find the specified registry key or value.\n"},
      {{"query", "HKLM\\K", "/v", "missing"},
       "ERROR: The system was unable to find the specified registry key or value.\n"},
      {{"delete", "HKLM\\Missing", "/f"},
       "ERROR: The system was unable to find the specified registry key or value.\n"},
      {{"delete", "HKLM\\K", "/v", "missing", "/f"},
       "ERROR: The system was unable to find the specified registry key or value.\n"},
      {{"query", "HKCU\\K"}, "ERROR: Invalid key name.\n"},
      {{"query", "HKLMX"}, "ERROR: Invalid key name.\n"},
      {{"query"}, "ERROR: Invalid syntax.\n"},
      {{}, "ERROR: Invalid syntax.\n"},
      {{"frobnicate", "HKLM\\K"}, "ERROR: Invalid syntax.\n"},
      {{"query", "HKLM\\K", "/x"}, "ERROR: Invalid syntax.\n"},
      {{"query", "HKLM\\K", "/v"}, "ERROR: Invalid syntax.\n"},
      {{"add", "HKLM\\K", "/v", "a", "/v", "b", "/f"}, "ERROR: Invalid syntax.\n"},
      {{"add", "HKLM\\K", "/v", "n", "/t", "REG_QWORD", "/d", "1", "/f"},
       "ERROR: Invalid type \"REG_QWORD\".\n"},
      {{"add", "HKLM\\K", "/v", "n", "/t", "REG_DWORD", "/d", "12x", "/f"},
       "ERROR: Invalid syntax. Specify valid numeric value for '/d'.\n"},
      {{"add", "HKLM\\K", "/v", "n", "/t", "REG_DWORD", "/d", "4294967296", "/f"},
       "ERROR: Invalid syntax. Specify valid numeric value for '/d'.\n"},
      {{"add", "HKLM\\K", "/v", "n", "/t", "REG_BINARY", "/d", "abc", "/f"},
       "ERROR: Invalid syntax. Specify valid hexadecimal value for '/d'.\n"},
      {{"import", "/nonexistent/file.reg"},
       "ERROR: Error opening the file. There may be a disk or file system error.\n"},
      {{"delete", "HKLM", "/f"}, "ERROR: Access is denied.\n"},
      // The hive file cannot hold a line feed in a name, nor an empty key name.
      {{"add", "HKLM\\K\\a\nb", "/f"}, "ERROR: Invalid key name.\n"},
      {{"add", "HKLM\\K\\\\b", "/f"}, "ERROR: Invalid key name.\n"},
      {{"add", "HKLM\\K", "/v", "a\nb", "/d", "1", "/f"}, "ERROR: Invalid syntax.\n"},
  };
  for (const auto& row : cases) {
    const TResult result = Run(row.args);
    const std::string shown =
        row.args.empty() ? "(none)" : row.args[0] + " " + (row.args.size() > 1 ? row.args[1] : "");
    EXPECT_EQ(result.ExitCode, 1) << shown;
    EXPECT_EQ(result.Err, row.message) << shown;
  }
  EXPECT_EQ(Run({"query", "HKLM\\K", "/v", "v"}).Out,
            "\nHKEY_LOCAL_MACHINE\\K\n    v    REG_SZ    1\n\n")
      << "failed commands change nothing";
}

TEST_F(Reg, OverwriteAndDeleteAskUnlessForced) {
  ExpectSuccess({"add", "HKLM\\K\\Sub", "/v", "v", "/d", "old", "/f"});
  TResult result = Run({"add", "HKLM\\K\\Sub", "/v", "v", "/d", "new"}, "no\n");
  EXPECT_EQ(result.ExitCode, 1);
  EXPECT_EQ(result.Out, "Value v exists, overwrite (Yes/No)? ");
  EXPECT_EQ(result.Err, "ERROR: The operation was canceled by the user.\n");
  result = Run({"add", "HKLM\\K\\Sub", "/v", "v", "/d", "new"}, "yes\n");
  EXPECT_EQ(result.ExitCode, 0) << result.Err;

  EXPECT_EQ(Run({"delete", "HKLM\\K"}, "").ExitCode, 1) << "no answer is no";
  result = Run({"delete", "HKLM\\k"}, "y\n");
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_EQ(result.Out,
            "Permanently delete the registry key HKEY_LOCAL_MACHINE\\K (Yes/No)? The operation "
            "completed successfully.\n");
  EXPECT_EQ(Run({"query", "HKLM\\K\\Sub"}).ExitCode, 1);
}

TEST_F(Reg, DeleteValues) {
  ExpectSuccess({"add", "HKLM\\K", "/v", "a", "/d", "1", "/f"});
  ExpectSuccess({"add", "HKLM\\K", "/v", "b", "/d", "2", "/f"});
  ExpectSuccess({"add", "HKLM\\K", "/v", "c", "/d", "3", "/f"});
  ExpectSuccess({"add", "HKLM\\K\\Sub", "/v", "s", "/d", "4", "/f"});
  ExpectSuccess({"delete", "HKLM\\K", "/V", "A", "/F"});
  EXPECT_EQ(Run({"query", "HKLM\\K", "/v", "a"}).ExitCode, 1);
  EXPECT_EQ(Run({"query", "HKLM\\K", "/v", "b"}).ExitCode, 0);
  ExpectSuccess({"delete", "HKLM\\K", "/va", "/f"});
  EXPECT_EQ(Run({"query", "HKLM\\K"}).Out,
            "\nHKEY_LOCAL_MACHINE\\K\n\nHKEY_LOCAL_MACHINE\\K\\Sub\n\n");
  EXPECT_EQ(Run({"query", "HKLM\\K\\Sub", "/v", "s"}).ExitCode, 0) << "subkeys keep their values";
}

TEST_F(Reg, HiveStaysAFileThatImportReadsBack) {
  ExpectSuccess({"add", "HKLM\\SOFTWARE\\Zerurud\\Printer", "/v", "Chain", "/d",
                 "C:\\Program Files\\\"DAVURI\".exe", "/f"});
  ExpectSuccess({"add", "HKLM\\SOFTWARE\\Zerurud\\Printer", "/v", "ExpandTo", "/t", "REG_DWORD",
                 "/d", "70", "/f"});
  const std::string hive = ReadFile(win::HivePath());
  ASSERT_TRUE(hive.starts_with("Windows Registry Editor Version 5.00\r\n")) << hive;

  testing_support::TempPrefix fresh;
  ExpectSuccess({"import", (FPrefix.root() / "system.reg").string()});
  win::TRegistry registry(win::KEY_READ);
  ASSERT_TRUE(registry.OpenKey("SOFTWARE\\Zerurud\\Printer", false));
  EXPECT_EQ(registry.ReadString("Chain"), "C:\\Program Files\\\"DAVURI\".exe");
  EXPECT_EQ(registry.ReadInteger("ExpandTo"), 70);
}

TEST_F(Reg, ExportThenImportIntoAFreshPrefixGivesTheSameValues) {
  WriteFile(win::HivePath(),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zerurud]\r\n"
            "\"Top\"=\"t\"\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zerurud\\Printer]\r\n"
            "\"FilePath\"=\"C:\\\\Capture\\\\\"\r\n"
            "\"Chain\"=hex(2):25,00,41,00,25,00,00,00\r\n"
            "\"ExpandTo\"=dword:00000046\r\n"
            "\"Blob\"=hex:00,01,\\\r\n  02\r\n"
            "\"List\"=hex(7):61,00,00,00,00,00\r\n"
            "\"Q\"=hex(b):01,00,00,00,00,00,00,00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zerurud\\Printer\\Deep\\Deeper]\r\n"
            "@=\"d\"\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Elsewhere]\r\n"
            "\"x\"=\"not exported\"\r\n");
  const auto file = FScratch.path() / "printer.reg";
  ExpectSuccess({"export", "HKLM\\software\\zerurud\\printer", file.string()});
  const TResult again = Run({"export", "HKLM\\software\\zerurud\\printer", file.string()}, "n\n");
  EXPECT_EQ(again.ExitCode, 1) << "an existing file is kept unless confirmed";
  ExpectSuccess({"export", "HKLM\\software\\zerurud\\printer", file.string(), "/y"});

  std::string original;
  for (const char* key :
       {"HKLM\\SOFTWARE\\Zerurud\\Printer", "HKLM\\SOFTWARE\\Zerurud\\Printer\\Deep\\Deeper"}) {
    original += Run({"query", key}).Out;
  }
  testing_support::TempPrefix fresh;
  ExpectSuccess({"import", file.string()});
  std::string imported;
  for (const char* key :
       {"HKLM\\SOFTWARE\\Zerurud\\Printer", "HKLM\\SOFTWARE\\Zerurud\\Printer\\Deep\\Deeper"}) {
    imported += Run({"query", key}).Out;
  }
  EXPECT_EQ(imported, original);
  EXPECT_NE(imported.find("Q    REG_QWORD    0100000000000000"), std::string::npos) << imported;
  EXPECT_EQ(Run({"query", "HKLM\\SOFTWARE\\Elsewhere"}).ExitCode, 1);
  EXPECT_EQ(Run({"query", "HKLM\\SOFTWARE\\Zerurud", "/v", "Top"}).ExitCode, 1)
      << "only the subtree is exported";
}

TEST_F(Reg, ImportOfABadFileNamesTheLineAndChangesNothing) {
  ExpectSuccess({"add", "HKLM\\K", "/v", "v", "/d", "kept", "/f"});
  const std::string before = ReadFile(win::HivePath());
  const auto file = FScratch.path() / "bad.reg";
  WriteFile(file,
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\K]\r\n"
            "\"v\"=\"changed\"\r\n"
            "\"w\"=dword:xyz\r\n");
  const TResult result = Run({"import", file.string()});
  EXPECT_EQ(result.ExitCode, 1);
  EXPECT_EQ(result.Err,
            "ERROR: " + file.string() + ", line 5: dword data must be 1 to 8 hex digits\n");
  EXPECT_EQ(ReadFile(win::HivePath()), before);
}

}  // namespace
