// Running the real converter program in tests, and the machine around it.
//
// The job goes to the program's standard input, its standard error is
// collected, and the run is waited for. The program inherits the test's
// environment (ZERURUD_PREFIX of a TempPrefix, the argv recorder's settings)
// and its descriptors that are not close-on-exec. The hive helpers write the
// printer key, the session list and the product type of the current prefix.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "capture/text_extraction.h"
#include <sys/types.h>

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
};

struct TConverterResult {
  int FExitCode = -1;  // -1 when it did not end with an exit code
  std::string FStderr;
};

TConverterResult RunConverter(const TConverterStart& start);

// Waits until every process that inherited the write end of a pipe, the
// converter's follow-up program among them, has ended: create it before the
// run, call WaitForHolders after it. It owns both ends.
class TEndOfHolders {
 public:
  TEndOfHolders();
  ~TEndOfHolders();
  TEndOfHolders(const TEndOfHolders&) = delete;
  TEndOfHolders& operator=(const TEndOfHolders&) = delete;

  void WaitForHolders();

 private:
  int FRead = -1;
  int FWrite = -1;
};

// A pipe whose read end a started program inherits (for ARGV_RECORDER_WAIT_FD):
// the program blocks reading it until Release closes the write end.
class TGate {
 public:
  TGate();
  ~TGate();
  TGate(const TGate&) = delete;
  TGate& operator=(const TGate&) = delete;

  int ReadFd() const { return FRead; }
  void Release();

 private:
  int FRead = -1;
  int FWrite = -1;
};

}  // namespace converter_testing
