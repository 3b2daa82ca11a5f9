// Registry value types, with the numbers the .reg format writes as hex(n).
// Shared by the hive file (hive.h) and TRegistry (registry.h).
#pragma once

#include "platform/error.h"

namespace win {

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

}  // namespace win
