#include "platform/computername.h"

#include <unistd.h>

#include "platform/error.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace win {

namespace {

constexpr const char* kComputerNameKey =
    "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName";

std::string NameFromHive() {
  TRegistry registry(KEY_READ);
  if (!registry.OpenKeyReadOnly(kComputerNameKey)) return std::string();
  try {
    return registry.ReadString("ComputerName");
  } catch (const Exception&) {
    return std::string();
  }
}

std::string NameFromHost() {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) return std::string();
  std::string name(host);
  name = name.substr(0, name.find('.')).substr(0, MAX_COMPUTERNAME_LENGTH);
  return UpperCase(name);
}

}  // namespace

bool GetComputerName(std::string& name, std::size_t bufferSize) {
  std::string found = NameFromHive();
  if (found.empty()) found = NameFromHost();
  if (found.size() + 1 > bufferSize) return Fail(ERROR_BUFFER_OVERFLOW);
  name = found;
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace win
