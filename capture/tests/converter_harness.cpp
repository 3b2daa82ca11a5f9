#include "capture/tests/converter_harness.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <stdexcept>
#include <string_view>

#include "capture/check_record.h"
#include "capture/printer_config.h"
#include "capture/text_extraction.h"
#include "capturefile/capture_codec.h"
#include "capturefile/capture_text.h"
#include "capturefile/crypt.h"
#include "platform/hostpath.h"
#include "platform/registry.h"

namespace converter_testing {

namespace fs = std::filesystem;

namespace {

void OpenOrCreate(win::TRegistry& registry, const std::string& key) {
  if (!registry.OpenKey(key, true)) throw std::runtime_error("cannot open " + key);
}

int MemoryFile(const char* name) {
  const int fd = ::memfd_create(name, MFD_CLOEXEC);
  if (fd < 0) throw std::runtime_error("memfd_create failed");
  return fd;
}

void WriteAll(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t written = ::write(fd, data.data() + done, data.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) throw std::runtime_error("write failed");
    done += static_cast<std::size_t>(written);
  }
}

std::string ReadAllFrom(int fd) {
  ::lseek(fd, 0, SEEK_SET);
  std::string data;
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return data;
    data.append(buffer, static_cast<std::size_t>(got));
  }
}

void CloseIfOpen(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// In the child between fork and exec: only calls that are safe there.
[[noreturn]] void ExecConverter(const TConverterStart& start, int input, int errors,
                                std::vector<char*>& argv) {
  if (::dup2(input, STDIN_FILENO) < 0 || ::dup2(errors, STDERR_FILENO) < 0) ::_exit(125);
  if (!start.FWorkingDirectory.empty() && ::chdir(start.FWorkingDirectory.c_str()) != 0) {
    ::_exit(125);
  }
  if (start.FRunAs) {
    const gid_t gid = start.FRunAs->FGid;
    if (::setgroups(1, &gid) != 0 || ::setgid(gid) != 0 || ::setuid(start.FRunAs->FUid) != 0) {
      ::_exit(125);
    }
  }
  ::execv(argv[0], argv.data());
  ::_exit(127);
}

}  // namespace

void WritePrinterString(const std::string& name, const std::string& value) {
  win::TRegistry registry;
  OpenOrCreate(registry, capture::kPrinterKey);
  registry.WriteString(name, value);
}

void WritePrinterInteger(const std::string& name, std::int32_t value) {
  win::TRegistry registry;
  OpenOrCreate(registry, capture::kPrinterKey);
  registry.WriteInteger(name, value);
}

void SetSessions(const TSessions& sessions) {
  win::TRegistry registry;
  registry.DeleteKey("SOFTWARE\\Zerurud\\Platform\\Sessions");
  OpenOrCreate(registry, "SOFTWARE\\Zerurud\\Platform\\Sessions");
  for (const auto& [id, user] : sessions) registry.WriteString(id, user);
}

void SetProduct(const std::string& type, const std::vector<std::string>& suite) {
  win::TRegistry registry;
  OpenOrCreate(registry, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions");
  registry.WriteString("ProductType", type);
  registry.WriteMultiString("ProductSuite", suite);
}

void SetComputerName(const std::string& name) {
  win::TRegistry registry;
  OpenOrCreate(registry, "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName");
  registry.WriteString("ComputerName", name);
}

std::string RecorderChain() {
  std::string windowsPath;
  if (!win::WindowsPathFromHost(ARGV_RECORDER_PATH, windowsPath)) {
    throw std::runtime_error("the recorder has no Windows path");
  }
  return windowsPath;
}

std::vector<fs::path> CaptureFilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("TL-") && name.ends_with(".ruz")) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::string> ExtractRows(const std::string& job, std::int32_t rowCount,
                                     std::vector<capture::TDroppedStrings>* dropped) {
  capture::TCheckRecord grid(rowCount);
  capturefile::TCaptureText rows;
  capture::TTextExtraction extraction(grid, rows);
  std::size_t start = 0;
  while (start < job.size()) {
    const std::size_t end = std::min(job.find('\n', start), job.size());
    std::string line = job.substr(start, end - start);
    std::erase(line, '\r');
    if (!extraction.EndOfJob()) extraction.ProcessLine(line);
    start = end + 1;
  }
  if (dropped != nullptr) *dropped = extraction.DroppedStrings();
  return rows.Lines();
}

std::string EncodedFile(const std::vector<std::string>& rows) {
  capturefile::TCrypt crypt;
  return capturefile::EncodeCaptureFile(rows, crypt);
}

TConverterResult RunConverter(const TConverterStart& start) {
  const int input = MemoryFile("job");
  const int errors = MemoryFile("stderr");
  WriteAll(input, start.FInput);
  ::lseek(input, 0, SEEK_SET);

  std::string program = VAVAVIDI_PATH;
  std::vector<std::string> args = start.FArgs;
  std::vector<char*> argv{program.data()};
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) ExecConverter(start, input, errors, argv);

  if (start.FWhileRunning) start.FWhileRunning(child);
  int status = 0;
  pid_t waited;
  do {
    waited = ::waitpid(child, &status, 0);
  } while (waited < 0 && errno == EINTR);
  TConverterResult result;
  result.FExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.FStderr = ReadAllFrom(errors);
  ::close(input);
  ::close(errors);
  return result;
}

bool HoldsFileIn(pid_t pid, const fs::path& folder) {
  std::error_code error;
  const std::string inside = fs::canonical(folder, error).string() + "/";
  const fs::path descriptors = "/proc/" + std::to_string(pid) + "/fd";
  for (const fs::directory_entry& entry : fs::directory_iterator(descriptors, error)) {
    const std::string target = fs::read_symlink(entry.path(), error).string();
    if (!error && target.starts_with(inside)) return true;
  }
  return false;
}

bool HasEnded(pid_t pid) {
  // The third field of the status line is the state; "Z" once it has ended.
  std::ifstream status("/proc/" + std::to_string(pid) + "/stat");
  std::string id;
  std::string name;
  std::string state;
  return !(status >> id >> name >> state) || state == "Z";
}

TOrphans::TOrphans() { ::prctl(PR_SET_CHILD_SUBREAPER, 1); }

TOrphans::~TOrphans() {
  WaitForOrphans();
  ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}

void TOrphans::WaitForOrphans() {
  int status = 0;
  while (::waitpid(-1, &status, 0) > 0 || errno == EINTR) {
  }
}

TGate::TGate(const fs::path& fifo) : FPath(fifo) {
  if (::mkfifo(FPath.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
  // Reading and writing, so that the open does not wait for a reader.
  FHeld = ::open(FPath.c_str(), O_RDWR | O_CLOEXEC);
  if (FHeld < 0) throw std::runtime_error("cannot open the gate");
}

TGate::~TGate() { Release(); }

void TGate::Release() { CloseIfOpen(FHeld); }

}  // namespace converter_testing
