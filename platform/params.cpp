#include "platform/params.h"

#include <filesystem>
#include <system_error>

#include "platform/hostpath.h"

namespace win {

namespace {

struct TCommandLine {
  std::string ProgramPath;
  std::vector<std::string> Parameters;
};

TCommandLine& CommandLine() {
  static TCommandLine commandLine;
  return commandLine;
}

}  // namespace

void InitCommandLine(int argc, const char* const* argv) {
  std::vector<std::string> parameters;
  for (int i = 1; i < argc; ++i) parameters.emplace_back(argv[i]);
  std::string programPath = argc > 0 ? argv[0] : "";
  std::error_code error;
  std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  std::string windowsPath;
  if (!error && WindowsPathFromHost(executable, windowsPath)) programPath = windowsPath;
  SetCommandLine(programPath, parameters);
}

void SetCommandLine(const std::string& programPath, const std::vector<std::string>& parameters) {
  CommandLine() = {programPath, parameters};
}

int ParamCount() { return static_cast<int>(CommandLine().Parameters.size()); }

std::string ParamStr(int index) {
  const TCommandLine& commandLine = CommandLine();
  if (index == 0) return commandLine.ProgramPath;
  if (index < 0 || index > ParamCount()) return {};
  return commandLine.Parameters[static_cast<std::size_t>(index - 1)];
}

}  // namespace win
