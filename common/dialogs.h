// The two dialogs that the product-folder search needs, as interfaces of our
// own: the window that runs the search hands out its file-open dialog and its
// error box, and tests script both.
#pragma once

#include <string>

namespace common {

// A file-open dialog as the class library has it: set the properties, run
// Execute, and read FileName afterwards. A cancelled dialog keeps the
// FileName it had.
class TOpenDialog {
 public:
  virtual ~TOpenDialog() = default;

  // Shows the dialog; true when the user picked a file (FileName is then
  // its full Windows path).
  virtual bool Execute() = 0;

  std::string InitialDir;
  std::string Title;
  std::string Filter;
  std::string FileName;
};

// The application's error box with an OK button.
class TErrorBox {
 public:
  virtual ~TErrorBox() = default;
  virtual void ShowErrorBox(const std::string& message) = 0;
};

}  // namespace common
