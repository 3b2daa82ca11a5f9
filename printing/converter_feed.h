// Handing one job to the capture converter.
#pragma once

#include <filesystem>
#include <string>

namespace printing {

// The converter the backend starts: VAVavidi beside the backend's own file
// (links followed), or else the one the build was configured with.
std::filesystem::path ConverterPath();

// Runs `converter` in `prefix` with `jobFd` as its standard input and `user`
// as its command line, and waits for it. Its standard error goes to ours line
// by line, the lines that carry no CUPS message prefix as "DEBUG:" ones.
// False, with a message on standard error, when it could not be started.
bool FeedConverter(const std::filesystem::path& converter, const std::filesystem::path& prefix,
                   const std::string& user, int jobFd);

}  // namespace printing
