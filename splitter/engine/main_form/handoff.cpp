// The hand-off: the queue file of an AP run, and the start of the
// check-writing program, which the run waits for; StartProgram serves the
// chain commands as well.
#include <string>
#include <unordered_map>
#include <vector>

#include "common/product.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/inifile.h"
#include "platform/path.h"
#include "platform/process.h"
#include "platform/stringlist.h"
#include "platform/text.h"
#include "splitter/engine/main_form/main.h"

namespace splitter {

namespace {

// Each part of the check-writing program's command line is cut to this.
constexpr std::size_t kMaxCommandPartLength = 255;
// The wait for the check-writing program hands the window its messages this
// often.
constexpr win::DWORD kWaitSliceMs = 5;

std::string CutCommandPart(const std::string& part) {
  return part.substr(0, kMaxCommandPartLength);
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

}  // namespace

void Tform_Main::WriteQueueAndPrint() {
  if (Action != "AP") {
    RunCheckWriter();
    return;
  }
  QueueFileName = win::ChangeFileExt(CurrentFile, ".QUE");
  // Keys of an old queue file that stayed would reach the program as
  // accounts of this run.
  if (win::FileExists(QueueFileName) && !win::DeleteFile(QueueFileName)) {
    throw win::EInOutError("Cannot delete file \"" + QueueFileName + "\". " +
                               win::SysErrorMessage(win::GetLastError()),
                           win::GetLastError());
  }
  win::TIniFile queue(QueueFileName);
  queue.WriteString("Options", "KeepFileOnClose", "1");
  queue.WriteString("Options", "Action", Action);

  // One account however its letters are cased; its files are every entry
  // recorded under any of those spellings, in list order, so that no batch
  // is left out of the printing (and then deleted by the clean-up).
  std::vector<std::string> accounts;
  std::vector<std::vector<int>> filesOfAccount;
  std::unordered_map<std::string, std::size_t> accountByUpperCase;
  for (int i = 0; i < WrittenAccounts->Count(); ++i) {
    const std::string& account = (*WrittenAccounts)[i];
    const auto [found, added] =
        accountByUpperCase.try_emplace(win::UpperCase(account), accounts.size());
    if (added) {
      accounts.push_back(account);
      filesOfAccount.emplace_back();
      queue.WriteString("Accounts Used", "Account " + std::to_string(accounts.size()) + ":",
                        account);
    }
    filesOfAccount[found->second].push_back(i);
  }
  for (std::size_t a = 0; a < accounts.size(); ++a) {
    int number = 0;
    for (const int i : filesOfAccount[a]) {
      queue.WriteString("Account:" + accounts[a], "File " + std::to_string(++number) + ":",
                        WrittenFiles->Strings(i));
    }
  }
  RunCheckWriter();
}

void Tform_Main::RunCheckWriter() {
  SetConfigurationValue("True", std::string(common::kLatePreProcessIdentifier));
  const std::string handOffFile = Quoted(ProductFolder + std::string(common::kHandOffFileName));
  std::string parameters;
  if (Action == "AP") {
    parameters = "-Q " + Quoted(QueueFileName);
  } else if (Action == "PR") {
    parameters = "-A 2 " + handOffFile;
  } else if (Action == "OT") {
    parameters = "-A 3 " + handOffFile;
  }
  ReleaseChainProcess();
  win::DWORD errorCode = 0;
  ChainProcess = StartProgram(CutCommandPart(ProductExe), CutCommandPart(parameters),
                              CutCommandPart(ProductFolder), errorCode);
  if (ChainProcess == nullptr) {
    FatalStop("Error #" + std::to_string(errorCode) + " executing " + ProductExe);
  }
  while (win::WaitForSingleObject(ChainProcess, kWaitSliceMs) == win::WAIT_TIMEOUT &&
         !ApplicationTerminated) {
    FView.ProcessMessages();
  }
  ReleaseChainProcess();
  Step = kStepCleanUp;
  FView.Invalidate();
}

win::HANDLE Tform_Main::StartProgram(const std::string& program, const std::string& parameters,
                                     const std::string& directory, win::DWORD& errorCode) {
  win::TProcessInformation info;
  if (win::CreateProcess(program + " " + parameters, false, directory, {}, info)) {
    return info.Process;
  }
  FView.ProcessMessages();
  // The shell finds what process creation cannot (a program path with
  // blanks, a document), and gives a process to wait for as well.
  win::HANDLE process = nullptr;
  const win::DWORD result = win::ShellExecute(program, parameters, directory, &process);
  if (result >= 32) return process;
  errorCode = result;
  return nullptr;
}

void Tform_Main::ReleaseChainProcess() {
  if (ChainProcess == nullptr) return;
  win::CloseHandle(ChainProcess);
  ChainProcess = nullptr;
}

}  // namespace splitter
