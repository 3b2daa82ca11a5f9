// The two dialogs that the product-folder search needs: the window that runs
// the search hands out its file-open dialog (the platform's interface) and
// its error box, and tests script both.
#pragma once

#include <string>

#include "platform/dialogs.h"

namespace common {

using TOpenDialog = win::TOpenDialog;

// The application's error box with an OK button.
class TErrorBox {
 public:
  virtual ~TErrorBox() = default;
  virtual void ShowErrorBox(const std::string& message) = 0;
};

}  // namespace common
