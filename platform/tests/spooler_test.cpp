#include "platform/spooler.h"

#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/prefix.h"
#include "platform/registry.h"
#include "tests/support/temp_prefix.h"
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using testing_support::ReadFile;
using testing_support::TempPrefix;
using testing_support::WriteFile;
using win::DWORD;

constexpr char kDriverDirectory[] = "C:\\Windows\\System32\\spool\\drivers\\w32x86";
constexpr char kDriverKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\Version-"
    "3\\Test Driver";
constexpr char kPortsKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Local Port\\Ports";
constexpr char kPrinterKey[] = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\Test Printer";
const char* const kFiles[] = {"DRV.DLL", "DATA.PPD", "UI.DLL", "HELP.HLP", "DEP1.NTF", "DEP2.INI"};

std::string InDriverDirectory(const std::string& name) {
  return std::string(kDriverDirectory) + "\\" + name;
}

// Drops the effective user id to "nobody" for its lifetime; Switched() is
// false where there is no such user or the test is not root.
class TUnprivileged {
 public:
  TUnprivileged() : FSaved(::geteuid()) {
    const passwd* nobody = ::getpwnam("nobody");
    FSwitched = FSaved == 0 && nobody != nullptr && ::seteuid(nobody->pw_uid) == 0;
  }
  ~TUnprivileged() {
    if (FSwitched && ::seteuid(FSaved) != 0) std::abort();
  }
  bool Switched() const { return FSwitched; }

 private:
  uid_t FSaved;
  bool FSwitched = false;
};

class SpoolerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kFiles) WriteFile(FPrefix.OnDriveC(InDriverDirectory(name)), name);
    FDriverPath = InDriverDirectory("DRV.DLL");
    FDataFile = InDriverDirectory("DATA.PPD");
    FConfigFile = InDriverDirectory("UI.DLL");
    FHelpFile = InDriverDirectory("HELP.HLP");
    FDriver.cVersion = 3;
    FDriver.pName = "Test Driver";
    FDriver.pEnvironment = "Windows NT x86";
    FDriver.pDriverPath = FDriverPath.c_str();
    FDriver.pDataFile = FDataFile.c_str();
    FDriver.pConfigFile = FConfigFile.c_str();
    FDriver.pHelpFile = FHelpFile.c_str();
    FDriver.pDependentFiles = "DEP1.NTF\0DEP2.INI\0";
    FDriver.dwlDriverVersion = 0x0001000200030004;
    FDriver.pszMfgName = "Maker";
    FDriver.pszProvider = "Provider";

    FPrinter.pPrinterName = "Test Printer";
    FPrinter.pPortName = "NUL:";
    FPrinter.pDriverName = "Test Driver";
    FPrinter.pComment = "Version 1";
    FPrinter.pPrintProcessor = "WinPrint";
    FPrinter.pDatatype = "RAW";
    FPrinter.Attributes = win::PRINTER_ATTRIBUTE_DEFAULT;
    FPrinter.Priority = 1;
    FPrinter.DefaultPriority = 1;
  }

  bool AddDriver(DWORD flags = win::APD_COPY_NEW_FILES) {
    return win::AddPrinterDriverEx(nullptr, 6, reinterpret_cast<const win::BYTE*>(&FDriver), flags);
  }

  // "AddPort" through the transceiver: the monitor's status, or the call's
  // own error when it fails.
  DWORD AddPort(const std::u16string& port) {
    win::PRINTER_DEFAULTS defaults{nullptr, nullptr, win::SERVER_ACCESS_ADMINISTER};
    win::HANDLE xcv = nullptr;
    if (!win::OpenPrinter(win::kLocalPortMonitor, &xcv, &defaults)) return win::GetLastError();
    DWORD output = 0;
    DWORD needed = 7;
    DWORD status = 7;
    const bool sent =
        win::XcvData(xcv, u"AddPort", reinterpret_cast<const win::BYTE*>(port.c_str()),
                     static_cast<DWORD>((port.size() + 1) * 2),
                     reinterpret_cast<win::BYTE*>(&output), 0, &needed, &status);
    EXPECT_TRUE(sent);
    EXPECT_EQ(needed, 0u);
    EXPECT_TRUE(win::ClosePrinter(xcv));
    return status;
  }

  win::HANDLE AddPrinter() {
    return win::AddPrinter(nullptr, 2, reinterpret_cast<const win::BYTE*>(&FPrinter));
  }

  TempPrefix FPrefix;
  std::string FDriverPath, FDataFile, FConfigFile, FHelpFile;
  win::DRIVER_INFO_6 FDriver;
  win::PRINTER_INFO_2 FPrinter;
};

TEST_F(SpoolerTest, TheDriverDirectory) {
  win::BYTE buffer[260] = {};
  DWORD needed = 0;
  ASSERT_TRUE(win::GetPrinterDriverDirectory(nullptr, nullptr, 1, buffer, sizeof buffer, &needed));
  EXPECT_STREQ(reinterpret_cast<const char*>(buffer), kDriverDirectory);
  EXPECT_EQ(needed, sizeof kDriverDirectory);
  std::filesystem::remove_all(FPrefix.driveC() / "Windows");
  ASSERT_TRUE(
      win::GetPrinterDriverDirectory("", "windows nt x86", 1, buffer, sizeof buffer, &needed));
  EXPECT_TRUE(std::filesystem::is_directory(FPrefix.OnDriveC(kDriverDirectory)));

  struct {
    const char* server;
    const char* environment;
    DWORD level;
    DWORD size;
    DWORD error;
  } const refused[] = {
      {"\\\\OTHER", nullptr, 1, 260, win::ERROR_INVALID_NAME},
      {nullptr, nullptr, 2, 260, win::ERROR_INVALID_LEVEL},
      {nullptr, "Windows x64", 1, 260, win::ERROR_INVALID_ENVIRONMENT},
      {nullptr, nullptr, 1, sizeof kDriverDirectory - 1, win::ERROR_INSUFFICIENT_BUFFER},
  };
  for (const auto& c : refused) {
    win::BYTE small[260] = {};
    EXPECT_FALSE(
        win::GetPrinterDriverDirectory(c.server, c.environment, c.level, small, c.size, &needed));
    EXPECT_EQ(win::GetLastError(), c.error);
    EXPECT_EQ(small[0], 0);
  }
  EXPECT_EQ(needed, sizeof kDriverDirectory);
}

TEST_F(SpoolerTest, ADriverIsRecordedWithEveryFieldAndItsFilesInstalled) {
  ASSERT_TRUE(AddDriver());
  win::TRegistry driver;
  ASSERT_TRUE(driver.OpenKeyReadOnly(kDriverKey));
  EXPECT_EQ(driver.ReadInteger("Version"), 3);
  EXPECT_EQ(driver.ReadString("Driver"), "DRV.DLL");
  EXPECT_EQ(driver.ReadString("Data File"), "DATA.PPD");
  EXPECT_EQ(driver.ReadString("Configuration File"), "UI.DLL");
  EXPECT_EQ(driver.ReadString("Help File"), "HELP.HLP");
  EXPECT_EQ(driver.ReadMultiString("Dependent Files"),
            (std::vector<std::string>{"DEP1.NTF", "DEP2.INI"}));
  EXPECT_EQ(driver.ReadString("Monitor"), "");
  EXPECT_EQ(driver.ReadString("Datatype"), "");
  EXPECT_EQ(driver.ReadMultiString("Previous Names"), std::vector<std::string>{});
  EXPECT_EQ(driver.ReadBinary("DriverDate"), std::string(8, '\0'));
  EXPECT_EQ(driver.ReadBinary("DriverVersion"), std::string("\x04\0\x03\0\x02\0\x01\0", 8));
  EXPECT_EQ(driver.ReadString("Manufacturer"), "Maker");
  EXPECT_EQ(driver.ReadString("OEM Url"), "");
  EXPECT_EQ(driver.ReadString("HardwareID"), "");
  EXPECT_EQ(driver.ReadString("Provider"), "Provider");
  EXPECT_EQ(driver.GetValueNames().size(), 15u);
  for (const char* name : kFiles) {
    EXPECT_EQ(ReadFile(FPrefix.OnDriveC(InDriverDirectory(std::string("3\\") + name))), name);
  }
}

TEST_F(SpoolerTest, NewFilesOnlyReplaceOlderCopies) {
  ASSERT_TRUE(AddDriver());
  const auto installed = FPrefix.OnDriveC(InDriverDirectory("3\\DATA.PPD"));
  WriteFile(installed, "installed, newer");
  WriteFile(FPrefix.OnDriveC(FDataFile), "offered");
  const auto now = std::filesystem::last_write_time(installed);
  std::filesystem::last_write_time(FPrefix.OnDriveC(FDataFile), now - std::chrono::hours(1));
  ASSERT_TRUE(AddDriver());
  EXPECT_EQ(ReadFile(installed), "installed, newer");
  std::filesystem::last_write_time(FPrefix.OnDriveC(FDataFile), now + std::chrono::hours(1));
  ASSERT_TRUE(AddDriver());
  EXPECT_EQ(ReadFile(installed), "offered");
  WriteFile(installed, "changed");
  std::filesystem::last_write_time(FPrefix.OnDriveC(FDataFile), now - std::chrono::hours(1));
  ASSERT_TRUE(AddDriver(win::APD_COPY_ALL_FILES));
  EXPECT_EQ(ReadFile(installed), "offered");
}

TEST_F(SpoolerTest, ADriverIsRefusedWithoutItsFiles) {
  for (const char* missing : {"DATA.PPD", "DEP2.INI"}) {
    std::filesystem::remove(FPrefix.OnDriveC(InDriverDirectory(missing)));
    EXPECT_FALSE(AddDriver()) << missing;
    EXPECT_EQ(win::GetLastError(), win::ERROR_FILE_NOT_FOUND) << missing;
    EXPECT_FALSE(win::TRegistry().KeyExists(kDriverKey));
    WriteFile(FPrefix.OnDriveC(InDriverDirectory(missing)), missing);
  }
  struct {
    const char* what;
    DWORD level;
    DWORD flags;
    void (*change)(win::DRIVER_INFO_6&);
    DWORD error;
  } const refused[] = {
      {"level 3", 3, win::APD_COPY_NEW_FILES, [](win::DRIVER_INFO_6&) {}, win::ERROR_INVALID_LEVEL},
      {"no copy flag", 6, 0, [](win::DRIVER_INFO_6&) {}, win::ERROR_INVALID_PARAMETER},
      {"no name", 6, win::APD_COPY_NEW_FILES, [](win::DRIVER_INFO_6& d) { d.pName = ""; },
       win::ERROR_INVALID_PARAMETER},
      {"no data file", 6, win::APD_COPY_NEW_FILES,
       [](win::DRIVER_INFO_6& d) { d.pDataFile = nullptr; }, win::ERROR_INVALID_PARAMETER},
      {"other environment", 6, win::APD_COPY_NEW_FILES,
       [](win::DRIVER_INFO_6& d) { d.pEnvironment = "Windows x64"; },
       win::ERROR_INVALID_ENVIRONMENT},
  };
  for (const auto& c : refused) {
    win::DRIVER_INFO_6 driver = FDriver;
    c.change(driver);
    EXPECT_FALSE(win::AddPrinterDriverEx(nullptr, c.level,
                                         reinterpret_cast<const win::BYTE*>(&driver), c.flags))
        << c.what;
    EXPECT_EQ(win::GetLastError(), c.error) << c.what;
  }
  EXPECT_FALSE(win::TRegistry().KeyExists(kDriverKey));
}

TEST_F(SpoolerTest, PortsThroughTheTransceiver) {
  EXPECT_EQ(AddPort(u"NUL:"), win::ERROR_SUCCESS);
  EXPECT_EQ(AddPort(u"nul:"), win::ERROR_ALREADY_EXISTS);
  EXPECT_EQ(AddPort(u"LPT9:"), win::ERROR_SUCCESS);
  win::TRegistry ports;
  ASSERT_TRUE(ports.OpenKeyReadOnly(kPortsKey));
  EXPECT_EQ(ports.GetValueNames(), (std::vector<std::string>{"NUL:", "LPT9:"}));
  EXPECT_EQ(ports.ReadString("NUL:"), "");

  win::PRINTER_DEFAULTS admin{nullptr, nullptr, win::SERVER_ACCESS_ADMINISTER};
  win::HANDLE xcv = nullptr;
  ASSERT_TRUE(win::OpenPrinter(",XcvMonitor local port", &xcv, &admin));
  DWORD needed = 0;
  DWORD status = 0;
  struct {
    const char16_t* command;
    std::string input;
    DWORD status;
  } const cases[] = {
      {u"AddPort", std::string("L\0P\0T\0", 6), win::ERROR_INVALID_PARAMETER},  // no zero
      {u"AddPort", std::string("L\0P\0\0", 5), win::ERROR_INVALID_PARAMETER},   // odd size
      {u"AddPort", std::string("\0\0", 2), win::ERROR_INVALID_PARAMETER},       // empty
      {u"AddPort", std::string("\0\0L\0\0\0", 6), win::ERROR_INVALID_PARAMETER},
      {u"AddPort", std::string("\x3A\x26\0\0", 4), win::ERROR_INVALID_PARAMETER},
      {u"DeletePort", std::string("N\0U\0L\0:\0\0\0", 10), win::ERROR_NOT_SUPPORTED},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(win::XcvData(xcv, c.command, reinterpret_cast<const win::BYTE*>(c.input.data()),
                             static_cast<DWORD>(c.input.size()), nullptr, 0, &needed, &status));
    EXPECT_EQ(status, c.status) << c.input.size();
  }
  EXPECT_TRUE(win::ClosePrinter(xcv));
  EXPECT_FALSE(win::ClosePrinter(xcv));
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_HANDLE);
  EXPECT_FALSE(win::XcvData(xcv, u"AddPort", nullptr, 0, nullptr, 0, &needed, &status));
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_HANDLE);
  EXPECT_EQ(ports.GetValueNames().size(), 2u);

  win::PRINTER_DEFAULTS user{nullptr, nullptr, win::PRINTER_ACCESS_USE};
  EXPECT_FALSE(win::OpenPrinter(win::kLocalPortMonitor, &xcv, &user));
  EXPECT_EQ(win::GetLastError(), win::ERROR_ACCESS_DENIED);
  EXPECT_FALSE(win::OpenPrinter(",XcvMonitor Other Port", &xcv, &admin));
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_PRINTER_NAME);
  EXPECT_EQ(xcv, nullptr);
}

TEST_F(SpoolerTest, APrinterIsRecordedWithEveryFieldOnce) {
  ASSERT_TRUE(AddDriver());
  ASSERT_EQ(AddPort(u"NUL:"), win::ERROR_SUCCESS);
  win::HANDLE printer = AddPrinter();
  ASSERT_NE(printer, nullptr);
  EXPECT_TRUE(win::ClosePrinter(printer));
  {
    win::TRegistry record;
    ASSERT_TRUE(record.OpenKeyReadOnly(kPrinterKey));
    EXPECT_EQ(record.ReadString("Name"), "Test Printer");
    EXPECT_EQ(record.ReadString("Share Name"), "");
    EXPECT_EQ(record.ReadString("Port"), "NUL:");
    EXPECT_EQ(record.ReadString("Printer Driver"), "Test Driver");
    EXPECT_EQ(record.ReadString("Description"), "Version 1");
    EXPECT_EQ(record.ReadString("Location"), "");
    EXPECT_EQ(record.ReadBinary("Default DevMode"), "");
    EXPECT_EQ(record.ReadString("Separator File"), "");
    EXPECT_EQ(record.ReadString("Print Processor"), "WinPrint");
    EXPECT_EQ(record.ReadString("Datatype"), "RAW");
    EXPECT_EQ(record.ReadString("Parameters"), "");
    EXPECT_EQ(record.ReadBinary("Security"), "");
    EXPECT_EQ(record.ReadInteger("Attributes"), 4);
    EXPECT_EQ(record.ReadInteger("Priority"), 1);
    EXPECT_EQ(record.ReadInteger("Default Priority"), 1);
    for (const char* zero : {"StartTime", "UntilTime", "Status", "cJobs", "AveragePPM"}) {
      EXPECT_EQ(record.ReadInteger(zero), 0) << zero;
    }
    EXPECT_EQ(record.GetValueNames().size(), 20u);
  }
  ASSERT_TRUE(win::OpenPrinter("test printer", &printer, nullptr));
  EXPECT_TRUE(win::ClosePrinter(printer));

  const std::string before = ReadFile(win::HivePath());
  FPrinter.pComment = "Version 2";
  EXPECT_EQ(AddPrinter(), nullptr);
  EXPECT_EQ(win::GetLastError(), win::ERROR_PRINTER_ALREADY_EXISTS);
  EXPECT_EQ(ReadFile(win::HivePath()), before);
}

TEST_F(SpoolerTest, APrinterNeedsItsPortDriverAndProcessor) {
  ASSERT_TRUE(AddDriver());
  ASSERT_EQ(AddPort(u"NUL:"), win::ERROR_SUCCESS);
  struct {
    const char* what;
    void (*change)(win::PRINTER_INFO_2&);
    DWORD error;
  } const refused[] = {
      {"unknown port", [](win::PRINTER_INFO_2& p) { p.pPortName = "LPT1:"; },
       win::ERROR_UNKNOWN_PORT},
      {"no port", [](win::PRINTER_INFO_2& p) { p.pPortName = nullptr; }, win::ERROR_UNKNOWN_PORT},
      {"unknown driver", [](win::PRINTER_INFO_2& p) { p.pDriverName = "Other"; },
       win::ERROR_UNKNOWN_PRINTER_DRIVER},
      {"other processor", [](win::PRINTER_INFO_2& p) { p.pPrintProcessor = "Other"; },
       win::ERROR_UNKNOWN_PRINTPROCESSOR},
      {"unknown data type", [](win::PRINTER_INFO_2& p) { p.pDatatype = "PDF"; },
       win::ERROR_INVALID_DATATYPE},
      {"priority 100", [](win::PRINTER_INFO_2& p) { p.Priority = 100; },
       win::ERROR_INVALID_PRIORITY},
      {"no name", [](win::PRINTER_INFO_2& p) { p.pPrinterName = ""; },
       win::ERROR_INVALID_PRINTER_NAME},
      {"name with a comma", [](win::PRINTER_INFO_2& p) { p.pPrinterName = "a,b"; },
       win::ERROR_INVALID_PRINTER_NAME},
      {"name with a backslash", [](win::PRINTER_INFO_2& p) { p.pPrinterName = "a\\b"; },
       win::ERROR_INVALID_PRINTER_NAME},
      {"other server", [](win::PRINTER_INFO_2& p) { p.pServerName = "\\\\OTHER"; },
       win::ERROR_INVALID_NAME},
  };
  for (const auto& c : refused) {
    win::PRINTER_INFO_2 printer = FPrinter;
    c.change(printer);
    EXPECT_EQ(win::AddPrinter(nullptr, 2, reinterpret_cast<const win::BYTE*>(&printer)), nullptr)
        << c.what;
    EXPECT_EQ(win::GetLastError(), c.error) << c.what;
  }
  EXPECT_EQ(win::AddPrinter(nullptr, 1, reinterpret_cast<const win::BYTE*>(&FPrinter)), nullptr);
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_LEVEL);
  EXPECT_FALSE(win::TRegistry().KeyExists("SYSTEM\\CurrentControlSet\\Control\\Print\\Printers"));
}

TEST_F(SpoolerTest, ChangesNeedTheRightToWriteTheHive) {
  ASSERT_TRUE(win::TRegistry().OpenKey("SYSTEM\\CurrentControlSet\\Control\\Print", true));
  ::chmod(FPrefix.root().c_str(), 0755);
  TUnprivileged user;
  if (!user.Switched()) GTEST_SKIP() << "needs root and a user 'nobody'";
  EXPECT_FALSE(AddDriver());
  EXPECT_EQ(win::GetLastError(), win::ERROR_ACCESS_DENIED);
  win::PRINTER_DEFAULTS admin{nullptr, nullptr, win::SERVER_ACCESS_ADMINISTER};
  win::HANDLE xcv = nullptr;
  EXPECT_FALSE(win::OpenPrinter(win::kLocalPortMonitor, &xcv, &admin));
  EXPECT_EQ(win::GetLastError(), win::ERROR_ACCESS_DENIED);
  EXPECT_EQ(AddPrinter(), nullptr);
  EXPECT_EQ(win::GetLastError(), win::ERROR_ACCESS_DENIED);
}

}  // namespace
