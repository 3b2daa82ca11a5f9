#include "splitter/engine/settings.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/inifile.h"
#include "splitter/engine/tests/engine_fixture.h"
#include "splitter/engine/utilities.h"
#include "tests/support/expect_raises.h"

namespace splitter {

using testing_support::ExpectRaises;

namespace {

class RunSettings : public EngineTest {
 protected:
  void SetUp() override { InstallProduct(); }
};

TEST_F(RunSettings, NoConfigurationFileGivesEveryDefault) {
  FForm.ReadRunSettings();
  EXPECT_EQ(IniFileName, "C:\\Apps\\DAVURI.INI");
  EXPECT_EQ(FForm.NumLines, 42);
  EXPECT_EQ(FForm.ProductFolder, "C:\\VEZ\\");
  EXPECT_EQ(FForm.ProductExe, "C:\\VEZ\\VEZ7.EXE");
  EXPECT_EQ(FForm.ChainDelay, 1000);
  EXPECT_EQ(FForm.PreChainCommands->Count(), 0);
  EXPECT_EQ(FForm.Action, "AP");
  EXPECT_EQ(FForm.AccountLine, 1);
  EXPECT_EQ(FForm.AccountCol, 1);
  EXPECT_EQ(FForm.AccountWidth, 8);
  EXPECT_TRUE(FForm.EncDec);
  EXPECT_EQ(Entries(*FForm.DocumentDefinitions), std::vector<std::string>{"DD"});
  EXPECT_EQ(FForm.AccountCodes->Count(), 0);
  // The located folder is written back; the file is created by that write.
  EXPECT_EQ(win::TIniFile(IniFileName).ReadString("Configuration", "DurEDOPath", "-"), "C:\\VEZ\\");

  const TSelectionSettings selection = ReadSelectionSettings(win::TIniFile("C:\\none.ini"));
  EXPECT_EQ(selection.NumLines, 42);
  EXPECT_EQ(selection.BadIDFileName, "SPLIT???.BAD");
  EXPECT_EQ(selection.BadAcctFile, "SPLITW.LOG");
  EXPECT_EQ(selection.TempFile, "SPLITW.$$$");
  EXPECT_EQ(selection.HandleBadAcct, 0);
  EXPECT_TRUE(selection.StripAcctID);
  EXPECT_TRUE(selection.DeleteOrigFiles);
  EXPECT_DOUBLE_EQ(selection.NumberOfDays, 3.0);
  EXPECT_TRUE(FView.Errors.empty());
}

TEST_F(RunSettings, ValuesAsRead) {
  WriteIni(
      "[Configuration]\r\n"
      "NumLines=70\r\n"
      "ChainDelay=70000\r\n"
      "PreChain:1=CONV.EXE <INFILE>\r\n"
      "PreChain:3=LATER.EXE\r\n"
      "Action=ap\r\n"
      "Account:Line=$10\r\n"
      "Account:Col=x\r\n"
      "Account:Width=  12  \r\n"
      "[EncDec]\r\n"
      "EncDec=0\r\n"
      "[Payroll]\r\n"
      "Line0=12\r\n"
      "Tagg0=PAYROLL\r\n"
      "Line1=20\r\n"
      "Line2=DONE\r\n"
      "Line3=30\r\n"
      "[AccountCodes]\r\n"
      "1234=ACME\r\n"
      "a100=Z9\r\n"
      "1234=LATER\r\n");
  FForm.ReadRunSettings();
  EXPECT_EQ(FForm.NumLines, 70);
  EXPECT_EQ(FForm.ChainDelay, 4464) << "70000 modulo 65536";
  EXPECT_EQ(Entries(*FForm.PreChainCommands), std::vector<std::string>{"CONV.EXE <INFILE>"});
  EXPECT_EQ(FForm.Action, "ap") << "kept as written: it is not AP";
  EXPECT_EQ(FForm.AccountLine, 16);
  EXPECT_EQ(FForm.AccountCol, 1) << "not a number: the default";
  EXPECT_EQ(FForm.AccountWidth, 12);
  EXPECT_FALSE(FForm.EncDec);
  EXPECT_EQ(Entries(*FForm.DocumentDefinitions),
            (std::vector<std::string>{"12", "PAYROLL", "20", "DONE", "DD"}));
  EXPECT_EQ(Entries(*FForm.AccountCodes),
            (std::vector<std::string>{"1234=ACME", "a100=Z9", "1234=ACME"}));
}

TEST_F(RunSettings, DepositDefinitionsFollowTheMarker) {
  WriteIni(
      "[Deposit]\r\nLine0=3\r\nTagg0=DEPOSIT\r\nLine1=done\r\nLine2=DONE\r\n"
      "[Payroll]\r\nLine1=5\r\n");
  FForm.ReadRunSettings();
  // "done" is not DONE, so it counts as a line; Payroll has no Line0.
  EXPECT_EQ(Entries(*FForm.DocumentDefinitions),
            (std::vector<std::string>{"DD", "3", "DEPOSIT", "done", "DONE"}));
}

TEST_F(RunSettings, ConfigurationFileFromTheCommandLine) {
  win::SetCommandLine("C:\\Apps\\DAVURI.EXE", {"file.ruz", "other.ini"});
  WriteFile("C:\\Apps\\OTHER.INI", "[Configuration]\r\nNumLines=70\r\n");
  FForm.ReadRunSettings();
  EXPECT_EQ(IniFileName, "C:\\Apps\\OTHER.INI");
  EXPECT_EQ(FForm.NumLines, 70);
}

TEST_F(RunSettings, ProductFolderFromTheConfigurationFile) {
  WriteFile("C:\\Other\\VEZ7.EXE", "program");
  WriteIni("[Configuration]\r\nDurEDOPath=C:\\Other\r\n");
  FForm.ReadRunSettings();
  EXPECT_EQ(FForm.ProductFolder, "C:\\Other\\") << "the program is looked for inside the folder";
  EXPECT_EQ(FForm.ProductExe, "C:\\Other\\VEZ7.EXE");
  EXPECT_EQ(win::TIniFile(IniFileName).ReadString("Configuration", "DurEDOPath", ""), "C:\\Other")
      << "written back as it was read";
}

TEST_F(RunSettings, UncPathOfThisComputerGivesTheLocalFolder) {
  SetComputerName("PC1");
  WriteIni("[Configuration]\r\nDurEDOPath=\\\\PC1\\VEZ\\\r\n");
  FForm.ReadRunSettings();
  EXPECT_EQ(FForm.ProductFolder, "C:\\VEZ\\");
  EXPECT_EQ(win::TIniFile(IniFileName).ReadString("Configuration", "DurEDOPath", ""),
            "\\\\PC1\\VEZ\\");
}

TEST_F(RunSettings, MissingProgramStopsTheRun) {
  WriteIni("[Configuration]\r\nDurEDOPath=C:\\Nowhere\\\r\nPreChain:1=A.EXE x\r\n");
  ExpectRaises<win::Exception>([&] { FForm.ReadRunSettings(); },
                               "DurEDO Executable not found! (C:\\Nowhere\\VEZ7.EXE)");
  EXPECT_EQ(FForm.Step, 8);
  EXPECT_GE(FView.Invalidations, 1);
  EXPECT_EQ(FForm.PreChainCommands, nullptr) << "nothing after the check is read";
}

TEST_F(RunSettings, UnwritableConfigurationFile) {
  win::SetCommandLine("C:\\Apps\\DAVURI.EXE", {".", "C:\\Missing\\cfg.ini"});
  ExpectRaises<win::EIniFileException>([&] { FForm.ReadRunSettings(); },
                                       "Unable to write to C:\\MISSING\\CFG.INI");
}

TEST(SelectionSettings, Decoding) {
  testing_support::TempPrefix prefix;
  struct TCase {
    const char* lines;
    int handleBadAcct;
    bool stripAcctID;
  };
  const TCase cases[] = {
      {"HandleBadAcct=abort", 3, true},    {"HandleBadAcct=Stop", 0, true},
      {"HandleBadAcct=Continue", 1, true}, {"HandleBadAcct=None", 0, true},
      {"StripAcctID=yes", 0, true},        {"StripAcctID=0", 0, false},
      {"StripAcctID=2", 0, true},
  };
  for (const TCase& c : cases) {
    testing_support::WriteFile(prefix.driveC() / "s.ini",
                               std::string("[Configuration]\r\n") + c.lines + "\r\n");
    const TSelectionSettings settings = ReadSelectionSettings(win::TIniFile("C:\\s.ini"));
    EXPECT_EQ(settings.HandleBadAcct, c.handleBadAcct) << c.lines;
    EXPECT_EQ(settings.StripAcctID, c.stripAcctID) << c.lines;
  }
}

}  // namespace

}  // namespace splitter
