// Reading what argv_recorder wrote (see argv_recorder.cpp for the format),
// and steering it through its environment. Targets that link
// argv_recorder_record know the recorder's host path as ARGV_RECORDER_PATH.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/scoped_variable.h"

namespace testing_support {

struct TRecorderRecord {
  std::vector<std::string> Argv;
  // Everything else by key: "cwd", "uid", "euid", "gid", "egid", "groups",
  // "fds", "env.HOME", ...; a variable that was not set has no entry.
  std::map<std::string, std::string> Fields;

  // The field's value, or "<missing>" when there is none.
  std::string operator[](const std::string& key) const;
};

// Undoes the recorder's escapes (\\, \n, \r, \t, \xHH).
std::string UnescapeRecorderValue(std::string_view escaped);

// The record in `file`; false when the file is missing or not a record.
bool ReadRecorderRecord(const std::filesystem::path& file, TRecorderRecord& record);

}  // namespace testing_support
