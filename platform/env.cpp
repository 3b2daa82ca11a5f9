#include "platform/env.h"

#include <atomic>

#include "platform/error.h"

namespace win {

namespace {

std::atomic<TEnv*> current{nullptr};

}  // namespace

TEnv& Env() {
  TEnv* env = current.load();
  return env != nullptr ? *env : *TEnv::Default();
}

TScopedEnv::TScopedEnv(TEnv& env) : FSaved(current.exchange(&env)) {}

TScopedEnv::~TScopedEnv() { current.store(FSaved); }

bool TEnv::ReadFile(const std::filesystem::path& file, std::string& data) {
  std::unique_ptr<TReadableFile> readable;
  if (!OpenReadable(file, readable)) return false;
  std::string result;
  // One byte more than the size, so that a file that has not grown ends
  // with a read of nothing rather than a resize.
  result.resize(readable->Size() + 1);
  std::size_t size = 0;
  for (;;) {
    if (size == result.size()) result.resize(result.size() * 2);
    std::size_t got = 0;
    if (!readable->Read(result.data() + size, result.size() - size, got)) return false;
    if (got == 0) break;
    size += got;
  }
  result.resize(size);
  data = std::move(result);
  return true;
}

}  // namespace win
