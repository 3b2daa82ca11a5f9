#include "tests/support/fault_env.h"

#include <algorithm>

namespace testing_support {

namespace {

namespace fs = std::filesystem;

// A file whose reads break off after a number of bytes.
class TFailingReadable : public win::TReadableFile {
 public:
  TFailingReadable(std::unique_ptr<win::TReadableFile> file, std::size_t readable)
      : FFile(std::move(file)), FReadable(readable) {}

  std::size_t Size() const override { return FFile->Size(); }

  bool Read(char* buffer, std::size_t size, std::size_t& got) override {
    if (FReadable == 0) return win::Fail(win::ERROR_READ_FAULT);
    if (!FFile->Read(buffer, std::min(size, FReadable), got)) return false;
    FReadable -= got;
    return true;
  }

 private:
  std::unique_ptr<win::TReadableFile> FFile;
  std::size_t FReadable;
};

}  // namespace

TFaultEnv::TFaultEnv() : win::TEnvWrapper(win::TEnv::Default()), FInForce(*this) {}

TFaultEnv::~TFaultEnv() = default;

bool TFaultEnv::TakeSpace(std::size_t size) {
  if (!FSpaceLeft) return true;
  if (size > *FSpaceLeft) return false;
  *FSpaceLeft -= size;
  return true;
}

bool TFaultEnv::OpenReadable(const fs::path& file, std::unique_ptr<win::TReadableFile>& result) {
  if (!Applies(file)) return TEnvWrapper::OpenReadable(file, result);
  if (FRefused) return win::Fail(win::ERROR_ACCESS_DENIED);
  if (!TEnvWrapper::OpenReadable(file, result)) return false;
  if (FReadsFailAfter)
    result = std::make_unique<TFailingReadable>(std::move(result), *FReadsFailAfter);
  return true;
}

bool TFaultEnv::WriteFileAtomic(const fs::path& file, std::string_view data) {
  if (!Applies(file)) return TEnvWrapper::WriteFileAtomic(file, data);
  if (FRefused) return win::Fail(win::ERROR_ACCESS_DENIED);
  if (!TakeSpace(data.size())) return win::Fail(win::ERROR_DISK_FULL);
  return TEnvWrapper::WriteFileAtomic(file, data);
}

bool TFaultEnv::AppendFile(const fs::path& file, std::string_view data) {
  if (!Applies(file)) return TEnvWrapper::AppendFile(file, data);
  if (FRefused) return win::Fail(win::ERROR_ACCESS_DENIED);
  if (FSpaceLeft && data.size() > *FSpaceLeft) {
    const std::string_view fits = data.substr(0, *FSpaceLeft);
    FSpaceLeft = 0;
    if (!fits.empty() && !TEnvWrapper::AppendFile(file, fits)) return false;
    return win::Fail(win::ERROR_DISK_FULL);
  }
  TakeSpace(data.size());
  return TEnvWrapper::AppendFile(file, data);
}

bool TFaultEnv::CreateFileExclusive(const fs::path& file, std::string_view data) {
  if (!Applies(file)) return TEnvWrapper::CreateFileExclusive(file, data);
  if (FRefused) return win::Fail(win::ERROR_ACCESS_DENIED);
  if (!TakeSpace(data.size())) return win::Fail(win::ERROR_DISK_FULL);
  return TEnvWrapper::CreateFileExclusive(file, data);
}

bool TFaultEnv::StartProgram(const win::TProgramStart& start, win::TStartedProgram& started) {
  if (FStartFailure && Applies(start.Program)) return win::Fail(*FStartFailure);
  return TEnvWrapper::StartProgram(start, started);
}

}  // namespace testing_support
