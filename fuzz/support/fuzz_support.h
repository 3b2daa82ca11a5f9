// What every fuzz target shares: the libFuzzer entry point, a property check
// that stops the run with a message, a reader that turns the input bytes into
// the few choices a target makes, and one private machine for the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fuzz {

// A broken property: prints `what` and aborts, so that libFuzzer keeps the
// input as a crash and the replay driver fails.
[[noreturn]] void Fail(const std::string& what);
inline void Check(bool holds, const std::string& what) {
  if (!holds) Fail(what);
}

// The input as a sequence of choices, then the rest as one text. Reads past
// the end give zeros, so every input is a valid one.
class TInput {
 public:
  TInput(const std::uint8_t* data, std::size_t size)
      : FText(reinterpret_cast<const char*>(data), size) {}

  std::uint8_t Byte() {
    if (FText.empty()) return 0;
    const auto byte = static_cast<std::uint8_t>(FText.front());
    FText.remove_prefix(1);
    return byte;
  }
  bool Bit() { return (Byte() & 1) != 0; }
  // A number from 0 to `max`.
  int Below(int max) { return max <= 0 ? 0 : Byte() % (max + 1); }
  // The text up to the next `separator` (which is dropped), or the rest.
  std::string_view Part(char separator = '\0') {
    const std::size_t end = FText.find(separator);
    const std::string_view part = FText.substr(0, end);
    FText.remove_prefix(end == std::string_view::npos ? FText.size() : end + 1);
    return part;
  }
  std::string_view Rest() {
    const std::string_view rest = FText;
    FText = {};
    return rest;
  }
  bool Empty() const { return FText.empty(); }

 private:
  std::string_view FText;
};

// The process's private machine (a prefix in a temporary folder, made on
// first use and removed at exit); the working directory is its drive C: root.
// Returns the host folder behind C:\.
const std::filesystem::path& MachineDriveC();

// Removes everything in `folder` and leaves it empty, so that each input
// starts from the same files.
void EmptyFolder(const std::filesystem::path& folder);

// Writes `data` to a host file in one go, creating its folders.
void WriteHostFile(const std::filesystem::path& file, std::string_view data);

}  // namespace fuzz
