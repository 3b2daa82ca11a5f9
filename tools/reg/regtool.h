// The reg command: the administrator's way to read and change a prefix's
// hive, with the syntax of the Windows command of that name.
//
//   reg query  KEY [/v NAME | /ve]
//   reg add    KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]
//   reg delete KEY [/v NAME | /ve | /va] [/f]
//   reg import FILE.reg
//   reg export KEY FILE.reg [/y]
//
// KEY begins with HKLM or HKEY_LOCAL_MACHINE; options may be written in
// either letter case. FILE.reg is a host path. Without /f (or /y) a change
// that would overwrite or delete something asks on `in` first.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace regtool {

// Runs one command; returns the exit code: 0 on success, 1 on error, with a
// one-line "ERROR: ..." message on `err`.
int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err);

}  // namespace regtool
