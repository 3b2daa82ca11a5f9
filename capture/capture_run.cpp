#include "capture/capture_run.h"

#include <unistd.h>

#include <exception>
#include <utility>

#include "capture/converter_messages.h"
#include "capture/job_input.h"
#include "capture/session_launcher.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/impersonation.h"
#include "platform/token.h"

namespace capture {

namespace {

// RevertToSelf with a raised error counted as a failure.
bool RevertToOwnIdentity() {
  try {
    return win::RevertToSelf();
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

TProcess::TProcess(std::string chain, std::int32_t rowCount)
    : FChain(std::move(chain)), FRowCount(rowCount) {}

void TProcess::Run(const std::string& outputPath, const std::string& userName) {
  FPageLines = capturefile::TCaptureText();
  FCheckRecord = std::make_unique<TCheckRecord>(FRowCount);
  FExtraction = std::make_unique<TTextExtraction>(*FCheckRecord, FPageLines);

  ReadJob();
  ReportDroppedStrings();
  if (FPageLines.Empty()) return;
  FPageLines.Encipher(FCrypt);

  const bool terminalServer = IsServer() && HasTerminalServices();
  const std::uint32_t sessionId = terminalServer ? FindUserSession(userName) : 0;

  win::HANDLE token = nullptr;
  try {
    if (!win::WTSQueryUserToken(sessionId, &token)) {
      token = nullptr;
      const win::DWORD code = win::GetLastError();
      ShowMessageBox(code != 0
                         ? "Failed to find user token: Error Code [" + std::to_string(code) + "]"
                         : "Failed to find user token");
      return;
    }
  } catch (const std::exception&) {
    ShowMessageBox("Failed to print]");
    return;
  }
  if (WriteAsUser(outputPath, token)) StartFollowUp(outputPath, token, terminalServer);
  win::CloseHandle(token);
}

void TProcess::ReadJob() {
  TJobInput input(STDIN_FILENO);
  std::string line;
  // After the end of the job the rest is still read, so that the starter
  // never blocks writing into a pipe nobody empties.
  while (input.ReadLine(line)) {
    if (!FExtraction->EndOfJob()) FExtraction->ProcessLine(line);
  }
}

void TProcess::ReportDroppedStrings() const {
  for (const TDroppedStrings& dropped : FExtraction->DroppedStrings()) {
    ReportError("page " + std::to_string(dropped.FPage) + " lost " +
                std::to_string(dropped.FCount) + " string(s) placed outside its " +
                std::to_string(FRowCount) + " rows (ExpandTo)");
  }
}

bool TProcess::WriteAsUser(const std::string& outputPath, win::HANDLE token) {
  try {
    if (!win::ImpersonateLoggedOnUser(token)) {
      ShowMessageBox("2 - SaveToFile failed");
      return false;
    }
    if (!WriteCaptureFile(outputPath)) {
      ShowMessageBox("1 - SaveToFile failed");
      if (!RevertToOwnIdentity()) ShowMessageBox("RevertToSelf Failed");
    }
    return true;
  } catch (const std::exception&) {
    ShowMessageBox("Failed to print]");
    RevertToOwnIdentity();
    return false;
  }
}

bool TProcess::WriteCaptureFile(const std::string& outputPath) const {
  try {
    return win::WriteWholeFile(outputPath, FPageLines.Content());
  } catch (const std::exception&) {
    return false;
  }
}

void TProcess::StartFollowUp(const std::string& outputPath, win::HANDLE token,
                             bool terminalServer) {
  if (FChain.empty()) return;
  FChain = "\"" + FChain + "\" \"" + outputPath + "\"";
  try {
    CreateChildProcess(FChain, token);
  } catch (const std::exception&) {
    ShowMessageBox("CreateChildProcess Failed");
  }
  if (terminalServer && !RevertToOwnIdentity()) ShowMessageBox("RevertToSelf Failed");
}

}  // namespace capture
