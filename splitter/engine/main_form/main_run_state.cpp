// The run state of the processing window: creation, showing, and the two
// ways a run stops or asks the user.
#include "platform/error.h"
#include "platform/stringlist.h"
#include "splitter/engine/main_form/main.h"

namespace splitter {

Tform_Main::Tform_Main(TMainView& view) : FView(view) {}

// A run that ends while a program still runs (the window closed, an error)
// leaves its handle here; the program itself goes on.
Tform_Main::~Tform_Main() { ReleaseChainProcess(); }

void Tform_Main::formCreate() {
  Step = kStepSettings;
  FView.SetCaption(FView.Caption() + kVersionSuffix);
  PrintNotRun = 2;
  FView.Invalidate();
}

void Tform_Main::formShow() {
  if (SelectedFiles == nullptr) {
    FView.ShowInformation("No files were selected!");
    Step = kStepCleanUp;
  }
  FView.Invalidate();
}

void Tform_Main::FatalStop(const std::string& message) {
  Step = kStepCleanUp;
  FView.Invalidate();
  throw win::Exception(message);
}

void Tform_Main::WarnOrQuit(const std::string& message) {
  if (!FView.WarnOkCancel(message)) FView.QuitProgram();
}

}  // namespace splitter
