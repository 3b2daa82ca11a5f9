// The machine's product type (workstation, server, domain controller) and
// its terminal-services suite, as GetVersionEx's wProductType and
// wSuiteMask give them.
//
// Both come from the hive key SYSTEM\CurrentControlSet\Control\ProductOptions:
// "ProductType" "WinNT" (workstation), "LanmanNT" (domain controller) or
// "ServerNT" (server), and "ProductSuite", a REG_MULTI_SZ that holds
// "Terminal Server" for the terminal-services suite. A missing key or value,
// a value of another type, an unknown text or a hive that cannot be read
// gives a workstation without suites.
#pragma once

#include <cstdint>

namespace win {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;

inline constexpr BYTE VER_NT_WORKSTATION = 1;
inline constexpr BYTE VER_NT_DOMAIN_CONTROLLER = 2;
inline constexpr BYTE VER_NT_SERVER = 3;
inline constexpr WORD VER_SUITE_TERMINAL = 0x10;

// The product type, VER_NT_WORKSTATION by default.
BYTE GetProductType();
// The suite mask: VER_SUITE_TERMINAL or 0.
WORD GetSuiteMask();

}  // namespace win
