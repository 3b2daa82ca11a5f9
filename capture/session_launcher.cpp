#include "capture/session_launcher.h"

#include <vector>

#include "platform/process.h"
#include "platform/producttype.h"
#include "platform/session.h"

namespace capture {

bool IsServer() { return win::GetProductType() == win::VER_NT_SERVER; }

bool HasTerminalServices() { return (win::GetSuiteMask() & win::VER_SUITE_TERMINAL) != 0; }

std::uint32_t FindUserSession(std::string_view userName) {
  std::vector<win::TSessionInfo> sessions;
  if (!win::WTSEnumerateSessions(sessions)) return 0;
  for (const win::TSessionInfo& session : sessions) {
    if (session.UserName == userName) return session.SessionId;
  }
  return 0;
}

bool CreateChildProcess(const std::string& commandLine, win::HANDLE token) {
  win::TStartupInfo startup;
  startup.Desktop = std::string(win::kInteractiveDesktop);
  startup.NullStandardHandles = true;
  win::TProcessInformation info;
  const bool started = token != nullptr
                           ? win::CreateProcessAsUser(token, commandLine, false, "", startup, info)
                           : win::CreateProcess(commandLine, false, "", startup, info);
  if (started) win::CloseHandle(info.Process);
  return started;
}

}  // namespace capture
