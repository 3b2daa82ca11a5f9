// The host's whole-file writes with a chosen kind of temporary file, so that
// tests reach the way taken on file systems without unnamed files as well as
// the usual one. Everything else uses TEnv::Default().
#pragma once

#include <filesystem>
#include <string_view>

namespace win {

enum class TTemporaryKind {
  // An unnamed file (O_TMPFILE) linked into place; a named one where the
  // file system has no unnamed files.
  Unnamed,
  // A named temporary beside the target, renamed into place; one that a
  // writer left when it died is removed by the next write in that folder.
  Named,
};

// TEnv::WriteFileAtomic and TEnv::CreateFileExclusive of the host.
bool WriteFileAtomicWith(const std::filesystem::path& file, std::string_view data,
                         TTemporaryKind kind);
bool CreateFileExclusiveWith(const std::filesystem::path& file, std::string_view data,
                             TTemporaryKind kind);

}  // namespace win
