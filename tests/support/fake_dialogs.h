// Scripted stand-ins for the dialogs of the product-folder search, for the
// tests of every window that runs it.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/dialogs.h"

namespace testing_support {

// Answers Execute from a script: each entry is the file the user picks, and
// an empty entry is a cancel. Running past the script fails the test and
// throws, so a loop that keeps asking cannot hang the test.
class TFakeOpenDialog : public common::TOpenDialog {
 public:
  struct TScriptEnded {};

  bool Execute() override {
    InitialDirsSeen.push_back(InitialDir);
    if (Picks.empty()) {
      ADD_FAILURE() << "open dialog shown more often than scripted";
      throw TScriptEnded{};
    }
    std::string pick = Picks.front();
    Picks.pop_front();
    if (pick.empty()) return false;
    FileName = pick;
    return true;
  }

  std::deque<std::string> Picks;
  std::vector<std::string> InitialDirsSeen;
};

class TFakeErrorBox : public common::TErrorBox {
 public:
  void ShowErrorBox(const std::string& message) override { Messages.push_back(message); }
  std::vector<std::string> Messages;
};

}  // namespace testing_support
