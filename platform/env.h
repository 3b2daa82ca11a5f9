// The host seam: everything the platform layer asks of the host's file
// system and process table, behind one small interface.
//
// TEnv::Default() is the host itself. Env() is the instance in force, the
// host's unless a test has installed its own with TScopedEnv; platform code
// reaches the host through Env() only, so a test can make a disk run full,
// refuse access, break a read off or refuse to start a program without root
// and without touching the machine. TEnvWrapper forwards every call to
// another instance; a test double derives from it and overrides only what it
// changes.
//
// Paths are host paths (hostpath.h maps Windows paths onto them). Every call
// that returns bool gives false on failure with the Windows code in
// GetLastError (error.h): ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND when a
// folder on the way is missing, ERROR_ACCESS_DENIED, ERROR_DISK_FULL,
// ERROR_READ_FAULT, ERROR_FILE_EXISTS and so on.
//
// This knows nothing of Windows paths, drives or identities: it does what it
// is asked with the caller's effective ids.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace win {

// An open file read from its start.
class TReadableFile {
 public:
  TReadableFile() = default;
  TReadableFile(const TReadableFile&) = delete;
  TReadableFile& operator=(const TReadableFile&) = delete;
  virtual ~TReadableFile() = default;

  // The size the file had when it was opened.
  virtual std::size_t Size() const = 0;
  // Reads up to `size` bytes into `buffer`; `got` is 0 at the end of the file.
  virtual bool Read(char* buffer, std::size_t size, std::size_t& got) = 0;
};

// How a started program's ids change before it runs.
enum class TIdChange {
  Keep,
  RestoreOwn,  // back to Uid and Gid as effective ids (the end of an impersonation)
  TakeOn,      // real and effective ids all become Uid and Gid
};

struct TProgramStart {
  std::filesystem::path Program;  // the host file to run
  std::vector<std::string> Argv;
  std::vector<std::string> Environment;  // "NAME=value" entries
  std::filesystem::path Directory;       // empty: the caller's
  // Keeps the caller's descriptors that are not close-on-exec; otherwise the
  // program gets standard input, output and error only.
  bool InheritHandles = false;
  // Standard input, output and error are /dev/null instead of the caller's.
  bool NullStandardHandles = false;
  TIdChange Change = TIdChange::Keep;
  uid_t Uid = 0;
  gid_t Gid = 0;
  std::vector<gid_t> Groups;  // set with the ids (for RestoreOwn and TakeOn)
};

struct TStartedProgram {
  pid_t Pid = 0;
  int PidFd = -1;  // -1 where the host has no process descriptors
};

// What a started child reports when it cannot take on the ids: it ends with
// this code before it runs anything, and StartProgram gives
// ERROR_PRIVILEGE_NOT_HELD.
inline constexpr int kIdChangeFailedExitCode = 126;

class TEnv {
 public:
  TEnv() = default;
  TEnv(const TEnv&) = delete;
  TEnv& operator=(const TEnv&) = delete;
  virtual ~TEnv() = default;

  // The host's instance; it belongs to the platform and is never deleted.
  static TEnv* Default();

  // Opens `file` for reading (a folder is ERROR_ACCESS_DENIED).
  virtual bool OpenReadable(const std::filesystem::path& file,
                            std::unique_ptr<TReadableFile>& result) = 0;

  // Replaces (or creates) `file` with `data` in one step: a reader, and a
  // caller killed at any moment, leave the old content or the new, never a
  // part, and no other file. When it returns true the content and its name
  // are on the disk. A replaced file keeps its permission bits (and must be
  // writable by the caller: ERROR_ACCESS_DENIED otherwise); a new one gets
  // 0666 less the umask and belongs to the caller's effective ids.
  virtual bool WriteFileAtomic(const std::filesystem::path& file, std::string_view data) = 0;

  // Appends `data` to `file`, creating it (0666 less the umask) when
  // missing; on the disk when it returns true. A failure may have appended a
  // part.
  virtual bool AppendFile(const std::filesystem::path& file, std::string_view data) = 0;

  // Creates `file` with `data` only when the name is free (ERROR_FILE_EXISTS
  // otherwise); the content appears in one step, as WriteFileAtomic's.
  virtual bool CreateFileExclusive(const std::filesystem::path& file, std::string_view data) = 0;

  // The names in `folder`, without "." and "..", in no particular order.
  virtual bool ListFolder(const std::filesystem::path& folder, std::vector<std::string>& names) = 0;

  // Creates the folder `folder` (its parent must exist: ERROR_PATH_NOT_FOUND;
  // the name must be free: ERROR_ALREADY_EXISTS) with the group and
  // permission bits of its parent, as a Windows folder takes its parent's
  // rights. The rights are set on the folder just made, through a handle: a
  // link put in its place meanwhile is not followed, and the call then fails
  // with ERROR_ACCESS_DENIED, leaving the folder's rights its creator's only.
  virtual bool CreateFolderTakingParentRights(const std::filesystem::path& folder) = 0;

  // Starts a program. A program that cannot be run (missing, not
  // executable, not a program, ids that cannot be taken on, a directory that
  // cannot be entered) is reported before the call returns, and no process
  // is left behind.
  virtual bool StartProgram(const TProgramStart& start, TStartedProgram& started) = 0;

  // The whole file.
  bool ReadFile(const std::filesystem::path& file, std::string& data);
};

// Forwards every call to another instance.
class TEnvWrapper : public TEnv {
 public:
  explicit TEnvWrapper(TEnv* target) : FTarget(target) {}

  TEnv* Target() const { return FTarget; }

  bool OpenReadable(const std::filesystem::path& file,
                    std::unique_ptr<TReadableFile>& result) override {
    return FTarget->OpenReadable(file, result);
  }
  bool WriteFileAtomic(const std::filesystem::path& file, std::string_view data) override {
    return FTarget->WriteFileAtomic(file, data);
  }
  bool AppendFile(const std::filesystem::path& file, std::string_view data) override {
    return FTarget->AppendFile(file, data);
  }
  bool CreateFileExclusive(const std::filesystem::path& file, std::string_view data) override {
    return FTarget->CreateFileExclusive(file, data);
  }
  bool ListFolder(const std::filesystem::path& folder, std::vector<std::string>& names) override {
    return FTarget->ListFolder(folder, names);
  }
  bool CreateFolderTakingParentRights(const std::filesystem::path& folder) override {
    return FTarget->CreateFolderTakingParentRights(folder);
  }
  bool StartProgram(const TProgramStart& start, TStartedProgram& started) override {
    return FTarget->StartProgram(start, started);
  }

 private:
  TEnv* FTarget;
};

// The instance in force.
TEnv& Env();

// Fails (returns false) with the Windows code for the current errno after a
// host call on `file` failed: ENOENT is ERROR_PATH_NOT_FOUND when the folder
// of `file` is missing too, ERROR_FILE_NOT_FOUND otherwise, as Windows tells
// a missing folder from a missing file. Call it before errno changes.
bool FailFromErrnoAt(const std::filesystem::path& file);

// Puts `env` in force while the object lives (for tests; not for use from
// several threads at once).
class TScopedEnv {
 public:
  explicit TScopedEnv(TEnv& env);
  ~TScopedEnv();
  TScopedEnv(const TScopedEnv&) = delete;
  TScopedEnv& operator=(const TScopedEnv&) = delete;

 private:
  TEnv* FSaved;
};

}  // namespace win
