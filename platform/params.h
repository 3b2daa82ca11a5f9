// The program's command line as the class library shows it: ParamCount and
// ParamStr, where ParamStr(0) is the running program's own path in Windows
// form and the parameters are the ones it was started with.
//
// It is set once by the program's main (InitCommandLine) or by a test
// (SetCommandLine); before that the program path is empty and there are no
// parameters.
#pragma once

#include <string>
#include <vector>

namespace win {

// Takes the parameters from argv[1..]; the program path is the Windows form
// of the running executable's host path, or argv[0] as given when no drive
// covers it.
void InitCommandLine(int argc, const char* const* argv);

// Sets the program path (a Windows path) and the parameters directly.
void SetCommandLine(const std::string& programPath, const std::vector<std::string>& parameters);

// The number of parameters, the program path not counted.
int ParamCount();
// 0: the program path; 1..ParamCount(): a parameter; otherwise empty.
std::string ParamStr(int index);

}  // namespace win
