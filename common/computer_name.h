// The computer's own network name, as the splitter compares it with paths.
#pragma once

#include <string>

namespace common {

// The computer name, or empty text when the system gives none.
std::string LocalComputerName();

}  // namespace common
