#include "common/computer_name.h"

#include "platform/computername.h"

namespace common {

std::string LocalComputerName() {
  constexpr std::size_t kBufferSize = 256;
  std::string name;
  if (!win::GetComputerName(name, kBufferSize)) return {};
  return name;
}

}  // namespace common
