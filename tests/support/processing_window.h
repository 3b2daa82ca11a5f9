// A processing window (Tform_Main) over a view, wired to three lists of its
// own as the file selection window hands them over: the tests of the engine
// and of the windows, and the benchmarks, start from it. The lists outlive
// the window, as the file selection window's do. Only for targets that link
// splitter_engine.
#pragma once

#include "platform/stringlist.h"
#include "splitter/engine/main_form/main.h"
#include "splitter/engine/main_form/main_view.h"

namespace testing_support {

struct TProcessingWindow {
  explicit TProcessingWindow(splitter::TMainView& view) : Form(view) {
    Form.SelectedFiles = &SelectedFiles;
    Form.WrittenFiles = &WrittenFiles;
    Form.WrittenAccounts = &WrittenAccounts;
  }
  TProcessingWindow(const TProcessingWindow&) = delete;
  TProcessingWindow& operator=(const TProcessingWindow&) = delete;

  win::TStringList SelectedFiles;
  win::TStringList WrittenFiles;
  win::TStringList WrittenAccounts;
  splitter::Tform_Main Form;
};

}  // namespace testing_support
