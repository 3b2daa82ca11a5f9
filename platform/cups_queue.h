// The host's CUPS server, as the spooler uses it: the queue that carries the
// jobs of a printer to a backend. The server is the one libcups finds
// (CUPS_SERVER, client.conf, the local socket).
#pragma once

#include <string>

namespace win::cups {

// Creates the queue `queue`, or changes the one of that name, with the
// device `deviceUri` and the PPD file `ppdFile`, enabled and accepting
// jobs. False when no server answered or the server refused; nothing asks
// for a password.
bool AddQueue(const std::string& queue, const std::string& deviceUri, const std::string& ppdFile);

}  // namespace win::cups
