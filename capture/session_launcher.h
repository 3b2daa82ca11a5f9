// The session launcher of the converter: which desktop session the capture
// belongs to, and starting the follow-up program there with the session
// user's token.
//
// On a terminal server several users may be logged on, so the session is the
// one whose user name equals the converter's command line; on every other
// system it is session 0 and the command line is not read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/handle.h"

namespace capture {

// The product type is a server (a domain controller is not).
bool IsServer();
// The terminal-services suite is present.
bool HasTerminalServices();

// The id of the first listed session whose user name equals `userName` as a
// whole, letter case included; 0 when none does or the sessions cannot be
// listed.
std::uint32_t FindUserSession(std::string_view userName);

// Starts `commandLine` (its first quoted part is the program) with the
// converter's environment and current folder, on the interactive desktop, as
// the token's user when `token` is given; it does not wait. The program
// inherits none of the converter's descriptors: its standard input, output
// and error are /dev/null, so that a follow-up that runs for long holds
// neither the job nor the spooler's pipes open. False when the program could
// not be started; nothing is shown.
bool CreateChildProcess(const std::string& commandLine, win::HANDLE token);

}  // namespace capture
