// Steps 1 to 6 of the installer's run: the driver "Zerurud Print Driver"
// from the printer-driver directory, the port "NUL:" through the local port
// monitor, and the printer "Zerurud Printer" on them, its comment the
// version text of the converter "VAVavidi.exe" beside the installer.
//
// The steps form a chain: a refused driver leaves out the port and the
// printer, a port monitor that cannot be opened or a failed "AddPort" call
// leaves out the printer. A port that exists already does not stop it, and
// an existing printer is left as it is. Nothing is reported.
#pragma once

#include <string>

namespace installer {

inline constexpr char kDriverName[] = "Zerurud Print Driver";
inline constexpr char kPortName[] = "NUL:";
inline constexpr char kPrinterName[] = "Zerurud Printer";

// `installerPath` is the installer's own program file (a Windows path).
void InstallPrinter(const std::string& installerPath);

}  // namespace installer
