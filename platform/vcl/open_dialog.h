// TOpenDialog shown as a Qt dialog that browses the prefix's Windows file
// system with the components of this library: a drive combo, a folder list,
// a file list, the file name and the file type. OK (or a double click on a
// file) takes the name typed or selected; a name with "*" or "?" becomes
// the mask and a folder name opens that folder instead. The folder the
// dialog ends in stays the process's current directory.
#pragma once

#include "platform/dialogs.h"

namespace win {

class TQtOpenDialog : public TOpenDialog {
 public:
  // Shows the dialog modally over the active window, starting in InitialDir
  // (or FileName's folder, or the current directory) with FileName's name.
  bool Execute() override;
};

}  // namespace win
