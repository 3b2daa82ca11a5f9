// The processing sequence: formPaint runs the step that Step names (steps.h).
// A step asks for the next one by setting Step and invalidating the window,
// or by running formPaint again at once. While a step runs, Step is odd, so
// the paints that its own message processing lets through do nothing.
#include <string>

#include "platform/error.h"
#include "platform/files.h"
#include "platform/path.h"
#include "platform/stringlist.h"
#include "splitter/engine/main_form/main.h"

namespace splitter {

namespace {

// Takes the bad-account logs among SelectedFiles into the run and drops
// them from the list. Returns false when the user cancelled a reload; the
// run then goes to clean-up. `firstLog` is the first log met.
bool TakeBackBadAccountLogs(Tform_Main& form, std::string& firstLog) {
  win::TStringList& selected = *form.SelectedFiles;
  for (int i = 0; i < selected.Count();) {
    form.CurrentFile = selected[i];
    if (!Tform_Main::IsBadAccountLog(form.CurrentFile)) {
      ++i;
      continue;
    }
    if (firstLog.empty()) firstLog = form.CurrentFile;
    try {
      form.ReloadBadAccountLog(form.CurrentFile);
    } catch (const EAbort&) {
      return false;
    } catch (const win::Exception& error) {
      form.View().ShowInformation("Error processing file " + form.CurrentFile + ": " +
                                  error.Message());
    }
    selected.Delete(i);
  }
  return true;
}

}  // namespace

void Tform_Main::formPaint() {
  if (StepRuns(Step)) return;
  switch (Step) {
    case kStepSettings:
      RunSettingsStep();
      break;
    case kStepChainCommands:
      Step = kStepChainCommandRunning;
      RunNextPreChain();
      break;
    case kStepSplit:
      RunSplitStep();
      break;
    case kStepPrint:
      Step = kStepPrintRunning;
      FView.SetLabelText("Starting Print Process...");
      FView.ProcessMessages();
      WriteQueueAndPrint();
      PrintNotRun = 0;
      break;
    case kStepCleanUp:
      Step = kStepFinished;
      FView.SetTimerEnabled(false);
      ReleaseChainProcess();
      ChainInputFiles.reset();
      FView.SetLabelText("Cleaning up...");
      FView.Close();
      break;
    default:
      break;
  }
}

void Tform_Main::RunSettingsStep() {
  Step = kStepSettingsRunning;
  ReadRunSettings();
  if (SelectedFiles == nullptr) throw win::Exception("No files were selected!");
  ChainInputFiles = std::make_unique<win::TStringList>();
  for (int i = 0; i < SelectedFiles->Count(); ++i) {
    if (!IsBadAccountLog((*SelectedFiles)[i])) ChainInputFiles->Add((*SelectedFiles)[i]);
  }
  ChainFileIndex = 1;
  if (WrittenFiles == nullptr) throw win::Exception("Written files list not initialialized!");
  if (WrittenAccounts == nullptr) throw win::Exception("Written account list not initialized!");
  // The backup of the selected files is not offered: its name is always
  // handed over empty, so the step shows its label and has nothing to do.
  FView.SetLabelText("Backing up files...");
  Step = kStepChainCommands;
  formPaint();
}

void Tform_Main::RunSplitStep() {
  Step = kStepSplitRunning;
  PreChainCommands.reset();
  FView.SetLabelText("Converting...");
  FView.SetTimerEnabled(false);

  // Taken-back entries have no log but the run's lists until they are
  // printed: every other way out of this step logs them again.
  try {
    SplitWithTakenBackLogs();
  } catch (...) {
    LogTakenBackAgain();
    throw;
  }
  formPaint();
}

void Tform_Main::SplitWithTakenBackLogs() {
  std::string firstLog;
  if (!TakeBackBadAccountLogs(*this, firstLog)) {
    LogTakenBackAgain();
    Step = kStepCleanUp;
    return;
  }
  if (SelectedFiles->Count() > 0) {
    CurrentFile = (*SelectedFiles)[0];
    if (!win::FileExists(CurrentFile)) throw win::Exception("Error opening file " + CurrentFile);
    SplitCaptures();
  } else if (firstLog.empty()) {
    throw win::Exception("No files were selected!");
  } else {
    // Only bad-account logs were queued: their entries are printed alone,
    // as the AP batches they were set aside from, and the first log names
    // the run's queue file.
    CurrentFile = firstLog;
    Action = "AP";
  }
  AccountCodes.reset();

  if (Action == "AP") {
    if (CheckAccounts()) Step = kStepPrint;
  } else if (Action == "PR" || Action == "OT") {
    Step = TestPageFound() ? kStepCleanUp : kStepPrint;
  } else {
    Step = kStepCleanUp;
  }
  // Only an AP print takes the taken-back entries along.
  if (Action != "AP" || Step != kStepPrint) LogTakenBackAgain();
}

}  // namespace splitter
