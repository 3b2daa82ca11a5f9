// Where the check-writing product is installed on this computer.
#pragma once

#include <string>

#include "common/dialogs.h"

namespace common {

// The product folder as the product's registry key records it ("Directory"
// of "\Software\Zerurud\Ruvuduzer"), ending with a backslash. When the key
// cannot be opened with full access, shows "Ruvuduzer Directory Not Found!"
// in `errorBox` and lets the user browse with `dialog` (starting in the
// program's folder) until a file with a folder part is picked. A key without
// "Directory" gives "\".
std::string LocateProductFolder(TOpenDialog& dialog, TErrorBox& errorBox);

}  // namespace common
