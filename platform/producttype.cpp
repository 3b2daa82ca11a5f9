#include "platform/producttype.h"

#include <string>
#include <string_view>

#include "platform/registry.h"
#include "platform/text.h"

namespace win {

namespace {

constexpr char kProductOptionsKey[] = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";

}  // namespace

BYTE GetProductType() {
  try {
    TRegistry registry(KEY_READ);
    if (registry.OpenKeyReadOnly(kProductOptionsKey) &&
        registry.GetDataType("ProductType") == REG_SZ) {
      const std::string type = registry.ReadString("ProductType");
      if (SameText(type, "ServerNT")) return VER_NT_SERVER;
      if (SameText(type, "LanmanNT")) return VER_NT_DOMAIN_CONTROLLER;
    }
  } catch (const Exception&) {
    // A hive that cannot be read leaves the default.
  }
  return VER_NT_WORKSTATION;
}

WORD GetSuiteMask() {
  try {
    TRegistry registry(KEY_READ);
    if (registry.OpenKeyReadOnly(kProductOptionsKey) &&
        registry.GetDataType("ProductSuite") == REG_MULTI_SZ) {
      for (const std::string& suite : registry.ReadMultiString("ProductSuite")) {
        if (SameText(suite, "Terminal Server")) return VER_SUITE_TERMINAL;
      }
    }
  } catch (const Exception&) {
    // A hive that cannot be read leaves the default.
  }
  return 0;
}

}  // namespace win
