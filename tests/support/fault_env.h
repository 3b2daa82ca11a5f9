// A host seam (platform/env.h) that breaks on request, for tests of the
// paths a real machine takes only when its disk is full, a read fails or a
// program cannot be started. Everything not broken goes to the host.
//
// While the object lives it is the instance in force (win::Env()). Each fault
// applies to the paths `AppliesTo` accepts (every path unless set), so that
// a test breaks the capture file and not the hive.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>

#include "platform/env.h"
#include "platform/error.h"

namespace testing_support {

class TFaultEnv : public win::TEnvWrapper {
 public:
  TFaultEnv();
  ~TFaultEnv() override;

  // The disk has room for `bytes` more: a whole-file write or exclusive
  // create that needs more fails with ERROR_DISK_FULL and writes nothing, an
  // append writes what fits and then fails so.
  void LimitSpace(std::size_t bytes) { FSpaceLeft = bytes; }
  // Opening, writing, appending and creating fail with ERROR_ACCESS_DENIED.
  void RefuseAccess() { FRefused = true; }
  // Reads fail with ERROR_READ_FAULT once `bytes` have been read from a file.
  void FailReadsAfter(std::size_t bytes) { FReadsFailAfter = bytes; }
  // Every program start fails with `code`, as when the system cannot make
  // the process.
  void RefuseStarts(win::DWORD code) { FStartFailure = code; }

  std::function<bool(const std::filesystem::path&)> AppliesTo;

  bool OpenReadable(const std::filesystem::path& file,
                    std::unique_ptr<win::TReadableFile>& result) override;
  bool WriteFileAtomic(const std::filesystem::path& file, std::string_view data) override;
  bool AppendFile(const std::filesystem::path& file, std::string_view data) override;
  bool CreateFileExclusive(const std::filesystem::path& file, std::string_view data) override;
  bool StartProgram(const win::TProgramStart& start, win::TStartedProgram& started) override;

 private:
  bool Applies(const std::filesystem::path& file) const { return !AppliesTo || AppliesTo(file); }
  // Takes room for `size` bytes; false (the disk full) when there is less.
  bool TakeSpace(std::size_t size);

  std::optional<std::size_t> FSpaceLeft;
  bool FRefused = false;
  std::optional<std::size_t> FReadsFailAfter;
  std::optional<win::DWORD> FStartFailure;
  win::TScopedEnv FInForce;
};

}  // namespace testing_support
