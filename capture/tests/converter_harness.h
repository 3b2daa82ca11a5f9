// Running the real converter program in tests, and the machine around it.
//
// The job goes to the program's standard input, its standard error is
// collected, and the run is waited for. The program inherits the test's
// environment (ZERURUD_PREFIX of a TempPrefix, the argv recorder's settings)
// and its descriptors that are not close-on-exec. The hive helpers write the
// printer key, the session list and the product type of the current prefix.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "capture/text_extraction.h"

namespace converter_testing {

inline constexpr char kStderrPrefix[] = "ERROR: Zerurud Printer Error: ";

// ---- The machine

void WritePrinterString(const std::string& name, const std::string& value);
void WritePrinterInteger(const std::string& name, std::int32_t value);

using TSessions = std::vector<std::pair<std::string, std::string>>;  // id, user name
// Replaces the host's session list.
void SetSessions(const TSessions& sessions);
void SetProduct(const std::string& type, const std::vector<std::string>& suite);
void SetComputerName(const std::string& name);

// The argv recorder as a Windows path, for Chain.
std::string RecorderChain();

// The capture files ("TL-*.ruz") in a host folder.
std::vector<std::filesystem::path> CaptureFilesIn(const std::filesystem::path& folder);

// ---- Expected content

// The rows the extraction makes of `job` with pages of `rowCount` rows,
// the job split at its line feeds with carriage returns removed; the strings
// that fell outside the pages go to `dropped` when given.
std::vector<std::string> ExtractRows(const std::string& job, std::int32_t rowCount,
                                     std::vector<capture::TDroppedStrings>* dropped = nullptr);

// The capture file of `rows`, by the codec with a fresh key.
std::string EncodedFile(const std::vector<std::string>& rows);

// ---- Runs

struct TRunAs {
  uid_t FUid;
  gid_t FGid;
};

struct TConverterStart {
  std::string FInput;
  std::vector<std::string> FArgs;           // the command line after the program name
  std::filesystem::path FWorkingDirectory;  // empty: the test's own
  std::optional<TRunAs> FRunAs;             // started as this user instead of the test's
  // Called with the program's process id once it runs, before the wait for
  // its end (to kill it at a chosen moment, say).
  std::function<void(pid_t)> FWhileRunning;
};

// Whether process `pid` has a file below `folder` open (one it writes, or an
// unnamed one it made there); false once it has ended.
bool HoldsFileIn(pid_t pid, const std::filesystem::path& folder);
// Whether process `pid` (a child not yet waited for) has ended.
bool HasEnded(pid_t pid);

struct TConverterResult {
  int FExitCode = -1;  // -1 when it did not end with an exit code
  std::string FStderr;
};

TConverterResult RunConverter(const TConverterStart& start);

// Waits for the programs the converter started and left running: while the
// object lives, this process adopts the orphans of its children (it is their
// subreaper), and WaitForOrphans reaps them all. The converter's follow-up
// program is one: it inherits nothing that could tell when it ends.
class TOrphans {
 public:
  TOrphans();
  ~TOrphans();
  TOrphans(const TOrphans&) = delete;
  TOrphans& operator=(const TOrphans&) = delete;

  void WaitForOrphans();
};

// A FIFO that a started program opens by name (for ARGV_RECORDER_WAIT_FIFO):
// the program blocks reading it until Release, and goes on at once when it
// opens it only afterwards.
class TGate {
 public:
  explicit TGate(const std::filesystem::path& fifo);
  ~TGate();
  TGate(const TGate&) = delete;
  TGate& operator=(const TGate&) = delete;

  const std::filesystem::path& Path() const { return FPath; }
  void Release();

 private:
  std::filesystem::path FPath;
  int FHeld = -1;
};

}  // namespace converter_testing
