// The last step of the installer's run: the paths of the printer's
// configuration (key "SOFTWARE\Zerurud\Printer" of HKEY_LOCAL_MACHINE) made
// full and universal, so that the converter, run by the spooler, finds them
// from any current directory and over the network.
//
// FilePath, "Command Line" and Chain, in that order, are each rewritten as a
// plain string (REG_SZ) holding ExpandToUniversalPath of its text, read as
// stored (environment references are not expanded). The key is opened with
// full access and never created; absent and empty values are left alone,
// and so is every other value. A path that cannot be made full, or whose
// full form would not fit 260 characters, is written back as it was.
#pragma once

namespace installer {

inline constexpr char kPrinterKey[] = "SOFTWARE\\Zerurud\\Printer";

// Does nothing when the key cannot be opened. A value that is not a string,
// or a write the hive refuses, raises win::ERegistryException naming the
// value ("Invalid data type for 'FilePath'"); the values after it are not
// processed.
void NormaliseConfigurationPaths();

}  // namespace installer
