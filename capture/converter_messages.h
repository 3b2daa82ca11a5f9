// How the converter, a program without a window, reports: every message box
// is one line on standard error, "ERROR: Zerurud Printer Error: <text>", the
// form a print spooler collects from the programs it starts. Nothing waits
// for a click. Warnings and other diagnostics are lines of their own with the
// spooler's "WARNING:" and "ERROR:" prefixes.
#pragma once

#include <string_view>

namespace capture {

inline constexpr std::string_view kMessageCaption = "Zerurud Printer Error";

// The converter's message box with its one OK button.
void ShowMessageBox(std::string_view text);

// A line that no message box stands for: "WARNING: <text>" or "ERROR: <text>".
void ReportWarning(std::string_view text);
void ReportError(std::string_view text);

}  // namespace capture
