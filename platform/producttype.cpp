#include "platform/producttype.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace win {

namespace {

constexpr char kProductOptionsKey[] = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

BYTE GetProductType() {
  try {
    TRegistry registry(KEY_READ);
    if (registry.OpenKeyReadOnly(kProductOptionsKey) &&
        registry.GetDataType("ProductType") == REG_SZ) {
      const std::string type = registry.ReadString("ProductType");
      if (SameTextIgnoringCase(type, "ServerNT")) return VER_NT_SERVER;
      if (SameTextIgnoringCase(type, "LanmanNT")) return VER_NT_DOMAIN_CONTROLLER;
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
        if (SameTextIgnoringCase(suite, "Terminal Server")) return VER_SUITE_TERMINAL;
      }
    }
  } catch (const Exception&) {
    // A hive that cannot be read leaves the default.
  }
  return 0;
}

}  // namespace win
