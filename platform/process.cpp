#include "platform/process.h"

#include <unistd.h>

#include <filesystem>
#include <vector>

#include "platform/cmdline.h"
#include "platform/impersonation.h"
#include "platform/programlookup.h"
#include "platform/text.h"
#include "platform/token.h"

extern char** environ;

namespace win {

namespace {

namespace fs = std::filesystem;

std::vector<std::string> CallerEnvironment() {
  std::vector<std::string> environment;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    environment.emplace_back(*entry);
  }
  return environment;
}

void SetVariable(std::vector<std::string>& environment, const std::string& name,
                 const std::string& value) {
  const std::string prefix = name + "=";
  std::erase_if(environment, [&](const std::string& entry) { return entry.starts_with(prefix); });
  environment.push_back(prefix + value);
}

std::vector<std::string> EnvironmentFor(const TUserIdentity* user, const TStartupInfo& startup) {
  std::vector<std::string> environment = CallerEnvironment();
  if (user != nullptr && SameText(startup.Desktop, kInteractiveDesktop)) {
    if (!user->Display.empty()) SetVariable(environment, "DISPLAY", user->Display);
    SetVariable(environment, "HOME", user->Home);
    SetVariable(environment, "USER", user->UserName);
    SetVariable(environment, "LOGNAME", user->UserName);
  }
  return environment;
}

// A program started without a token runs with the process's own ids, also
// while an impersonation is in force.
void RunAsOwnIds(TLaunch& launch) {
  TProcessIds own = OwnProcessIds();
  if (own.Uid == ::geteuid() && own.Gid == ::getegid()) return;
  launch.Change = TIdChange::RestoreOwn;
  launch.Ids = std::move(own);
}

// Path mapping raises when the prefix itself cannot be read (by an
// impersonated user, say); here that is a failed call like any other.
template <typename Step>
bool WithoutRaising(const Step& step) {
  try {
    return step();
  } catch (const fs::filesystem_error& error) {
    return Fail(WinErrorFromErrno(error.code().value()));
  } catch (const Exception&) {
    return Fail(ERROR_PATH_NOT_FOUND);
  }
}

bool StartCommandLine(std::string_view commandLine, bool inheritHandles,
                      std::string_view currentDirectory, const TUserIdentity* user,
                      const TStartupInfo& startup, TProcessInformation& info) {
  info = TProcessInformation{};
  TLaunch launch;
  launch.Argv = SplitCommandLine(commandLine);
  const bool found = WithoutRaising([&] {
    return FindProgram(launch.Argv[0], launch.Program) &&
           FindDirectory(currentDirectory, launch.Directory);
  });
  if (!found) return false;
  launch.InheritHandles = inheritHandles;
  launch.NullStandardHandles = startup.NullStandardHandles;
  launch.Environment = EnvironmentFor(user, startup);
  if (user == nullptr) {
    RunAsOwnIds(launch);
  } else if (::getuid() == 0) {
    launch.Change = TIdChange::TakeOn;
    launch.Ids = {user->Uid, user->Gid, user->Groups};
  }
  return Launch(launch, info);
}

DWORD ShellErrorFrom(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      return SE_ERR_FNF;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
    case ERROR_INVALID_NAME:
      return SE_ERR_PNF;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
      return SE_ERR_ACCESSDENIED;
    case ERROR_BAD_FORMAT:
      return ERROR_BAD_FORMAT;
    case ERROR_NOT_ENOUGH_MEMORY:
      return SE_ERR_OOM;
    default:
      // "The operating system is out of memory or resources."
      return 0;
  }
}

}  // namespace

bool CreateProcess(std::string_view commandLine, bool inheritHandles,
                   std::string_view currentDirectory, const TStartupInfo& startup,
                   TProcessInformation& info) {
  return StartCommandLine(commandLine, inheritHandles, currentDirectory, nullptr, startup, info);
}

bool CreateProcessAsUser(HANDLE token, std::string_view commandLine, bool inheritHandles,
                         std::string_view currentDirectory, const TStartupInfo& startup,
                         TProcessInformation& info) {
  info = TProcessInformation{};
  const TUserIdentity* user = TokenIdentity(token);
  if (user == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (::getuid() != 0 && user->Uid != ::geteuid()) return Fail(ERROR_PRIVILEGE_NOT_HELD);
  return StartCommandLine(commandLine, inheritHandles, currentDirectory, user, startup, info);
}

DWORD ShellExecute(std::string_view file, std::string_view parameters, std::string_view directory,
                   HANDLE* process) {
  if (process != nullptr) *process = nullptr;
  TLaunch launch;
  if (!WithoutRaising([&] { return FindDirectory(directory, launch.Directory); })) {
    return SE_ERR_PNF;
  }
  const std::string name(file);
  if (!WithoutRaising([&] { return FindShellFile(name, directory, launch.Program); })) {
    return ShellErrorFrom(GetLastError());
  }
  if (IsRunnable(launch.Program)) {
    launch.Argv = SplitCommandLine("program " + std::string(parameters));
    launch.Argv[0] = name;
  } else {
    fs::path opener;
    if (!FindOnHostPath("xdg-open", opener)) return SE_ERR_NOASSOC;
    launch.Argv = {"xdg-open", launch.Program.string()};
    launch.Program = opener;
  }
  launch.Environment = CallerEnvironment();
  RunAsOwnIds(launch);
  TProcessInformation info;
  if (!Launch(launch, info)) return ShellErrorFrom(GetLastError());
  if (process != nullptr) {
    *process = info.Process;
  } else {
    CloseHandle(info.Process);
  }
  return kShellExecuteSucceeded;
}

}  // namespace win
