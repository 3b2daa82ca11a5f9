#include "fuzz/support/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "tests/support/temp_prefix.h"

namespace fuzz {

void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz property failed: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

const std::filesystem::path& MachineDriveC() {
  // Destroyed at exit, which removes the machine with everything on it.
  static const testing_support::TempPrefix machine;
  static const std::filesystem::path driveC = machine.driveC();
  return driveC;
}

void EmptyFolder(const std::filesystem::path& folder) {
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
}

void WriteHostFile(const std::filesystem::path& file, std::string_view data) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  if (!out) Fail("cannot write " + file.string());
}

}  // namespace fuzz
