// The replay driver for builds without libFuzzer: runs the target once over
// every file of the corpus folders (or files) named on the command line, so
// the seed corpus and every crash kept in it are a regression test.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/support/fuzz_support.h"

namespace {

std::vector<std::filesystem::path> InputsOf(const std::filesystem::path& named) {
  if (!std::filesystem::is_directory(named)) return {named};
  std::vector<std::filesystem::path> inputs;
  for (const auto& entry : std::filesystem::directory_iterator(named)) {
    if (entry.is_regular_file()) inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s CORPUS-FOLDER-OR-FILE...\n", argv[0]);
    return 2;
  }
  // Every input is found before the first run: a target may move the
  // working directory into its private machine.
  std::vector<std::filesystem::path> inputs;
  for (int i = 1; i < argc; ++i) {
    if (!std::filesystem::exists(argv[i])) {
      std::fprintf(stderr, "%s: no such corpus: %s\n", argv[0], argv[i]);
      return 2;
    }
    for (const std::filesystem::path& input : InputsOf(std::filesystem::absolute(argv[i]))) {
      inputs.push_back(input);
    }
  }
  for (const std::filesystem::path& input : inputs) {
    std::ifstream in(input, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.eof() && !in) {
      std::fprintf(stderr, "%s: cannot read %s\n", argv[0], input.c_str());
      return 2;
    }
    std::fprintf(stderr, "replaying %s (%zu bytes)\n", input.c_str(), bytes.size());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  if (inputs.empty()) {
    std::fprintf(stderr, "%s: the corpus is empty\n", argv[0]);
    return 2;
  }
  std::printf("replayed %zu input(s)\n", inputs.size());
  return 0;
}
