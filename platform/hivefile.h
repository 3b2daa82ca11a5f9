// The hive file: reading system.reg into a hive (hive.h) and changing it
// under its lock.
//
// Readers need no lock: the file is only ever replaced in one step, so a
// reader sees the old or the new hive, never half of one.
#pragma once

#include <filesystem>
#include <functional>

#include "platform/hive.h"

namespace win {

// The hive in `file`; a missing file is an empty hive. Throws Exception when
// it cannot be read, EHiveFormatError when it cannot be parsed.
THive LoadHive(const std::filesystem::path& file);

// Reads `file`, lets `change` alter the hive and writes it back when
// `change` returns true, all under the hive's lock (flock on "<file>.lock"),
// so that concurrent updates are applied one after the other. The new file
// replaces the old in one step. Throws as LoadHive, and Exception when the
// file cannot be written (GetLastError holds the code).
void UpdateHive(const std::filesystem::path& file, const std::function<bool(THive&)>& change);

}  // namespace win
