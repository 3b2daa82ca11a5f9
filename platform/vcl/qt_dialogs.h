// The message boxes shown as real Qt boxes, over the active window, with
// the application's title as caption and the first button as the default.
#pragma once

#include "platform/dialogs.h"

namespace win {

class TQtDialogs : public TDialogs {
 public:
  void ShowInformation(const std::string& message) override;
  bool Confirm(const std::string& message, TConfirmButtons buttons) override;
  bool WarnOkCancel(const std::string& message) override;
  void ShowError(const std::string& message) override;
};

}  // namespace win
