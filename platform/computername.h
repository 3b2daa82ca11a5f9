// The computer's network name, as GetComputerName gives it.
//
// It is the hive value "ComputerName" of
// SYSTEM\CurrentControlSet\Control\ComputerName\ComputerName when that holds
// a text, else the host name up to its first dot, upper-cased and cut to the
// 15 characters a network name may have.
#pragma once

#include <cstddef>
#include <string>

namespace win {

inline constexpr std::size_t MAX_COMPUTERNAME_LENGTH = 15;

// False with ERROR_BUFFER_OVERFLOW when the name and its terminating zero
// need more than `bufferSize` characters; `name` is then left alone.
bool GetComputerName(std::string& name, std::size_t bufferSize);

}  // namespace win
