// Chain commands: the "PreChain:" programs that run before the split, each
// once per capture file of the run, watched by Timer_Execute until they end.
#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/params.h"
#include "platform/path.h"
#include "platform/process.h"
#include "platform/stringlist.h"
#include "platform/text.h"
#include "splitter/engine/main_form/main.h"
#include "splitter/engine/utilities.h"

namespace splitter {

namespace {

// The design-time interval of Timer_Execute. A ChainDelay of 0 (which is
// also what a configured multiple of 65536 turns into) would leave the timer
// without an interval, and the end of a chain command would never be seen.
constexpr unsigned kDefaultPollIntervalMs = 100;
// A macro's name runs to the next ">", or at most this far without one.
constexpr std::size_t kMaxMacroNameLength = 255;

// "PARAMSTR(" before the number and one character after it.
constexpr std::size_t kParamStrNumberStart = 9;

std::string MacroValue(Tform_Main& form, const std::string& name) {
  const std::string upper = win::UpperCase(name);
  if (upper == "INFILE") {
    return ShortPathName((*form.ChainInputFiles)[form.ChainFileIndex - 1]);
  }
  if (upper == "OUTFILE") return ShortPathName(form.LastOutputName);
  if (upper.starts_with("PARAMSTR")) {
    std::optional<int> number;
    if (upper.size() > kParamStrNumberStart) {
      number = win::TryStrToInt(std::string_view(upper).substr(
          kParamStrNumberStart, upper.size() - kParamStrNumberStart - 1));
    }
    if (!number) {
      form.WarnOrQuit("Invalid chain command " + name + "!");
      return {};
    }
    return win::ParamStr(*number);
  }
  return {};
}

// Replaces every macro of `command` once. The search goes on after the
// inserted text, so a path or parameter that holds "<" itself is neither
// expanded again nor expanded for ever.
void ExpandMacros(Tform_Main& form, std::string& command) {
  std::size_t from = 0;
  for (std::size_t open; (open = command.find('<', from)) != std::string::npos;) {
    const std::size_t close = command.find('>', open + 1);
    const std::string name = close == std::string::npos
                                 ? command.substr(open + 1, kMaxMacroNameLength)
                                 : command.substr(open + 1, close - open - 1);
    const std::size_t length = name.size() + (close == std::string::npos ? 1 : 2);
    const std::string value = MacroValue(form, name);
    command.replace(open, length, value);
    from = open + value.size();
  }
}

}  // namespace

void Tform_Main::RunNextPreChain() {
  ChainProgram.clear();
  std::string parameters;
  if (PreChainCommands != nullptr && PreChainCommands->Count() > 0 && ChainInputFiles != nullptr &&
      ChainInputFiles->Count() > 0) {
    std::string command = (*PreChainCommands)[0];
    const std::size_t blank = command.find(' ');
    if (blank != std::string::npos) ChainProgram = win::Trim(command.substr(0, blank));
    if (!ChainProgram.empty() && !win::FileExists(ChainProgram)) {
      const std::string besideSplitter = win::ExtractFilePath(win::ParamStr(0)) + ChainProgram;
      if (win::FileExists(besideSplitter)) {
        ChainProgram = besideSplitter;
      } else {
        WarnOrQuit("Chain conversion " + ChainProgram + " not found!");
        ChainProgram.clear();
      }
    }
    if (blank != std::string::npos) command.erase(0, blank + 1);
    ExpandMacros(*this, command);
    parameters = win::Trim(command);

    ++ChainFileIndex;
    if (ChainFileIndex > ChainInputFiles->Count()) {
      PreChainCommands->Delete(0);
      ChainFileIndex = 1;
    }
  }

  if (ChainProgram.empty() || CloseRequested) {
    Step = kStepSplit;
    FView.Invalidate();
    return;
  }
  FView.Invalidate();
  ReleaseChainProcess();
  win::DWORD errorCode = 0;
  ChainProcess = StartProgram(ChainProgram, parameters, "", errorCode);
  if (ChainProcess != nullptr) {
    FView.SetTimerInterval(ChainDelay == 0 ? kDefaultPollIntervalMs : ChainDelay);
    FView.SetTimerEnabled(true);
    return;
  }
  WarnOrQuit("Error #" + std::to_string(errorCode) + " executing " + ChainProgram);
  // Confirmed with OK: the run goes on with the next chain command run.
  Step = kStepChainCommands;
  FView.Invalidate();
}

void Tform_Main::Timer_ExecuteTimer() {
  if (ChainProcess == nullptr || win::WaitForSingleObject(ChainProcess, 0) != win::WAIT_OBJECT_0) {
    return;
  }
  ReleaseChainProcess();
  if (Step == kStepChainCommandRunning) {
    Step = kStepChainCommands;
  } else if (Step == kStepPrintRunning) {
    Step = kStepCleanUp;
  }
  FView.Invalidate();
}

}  // namespace splitter
