// Path resolution and the host mapping: a resolved path resolves to itself,
// stays on the drive (or share) it names or is resolved against, holds no
// "." or ".." component; and a path on C: or on a share maps to a host path
// inside that drive's or share's folder, whose Windows form maps back to it.
#include "platform/path.h"

#include <string>

#include "fuzz/support/fuzz_support.h"
#include "platform/error.h"
#include "platform/hostpath.h"
#include "platform/prefix.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kShare = "\\\\srv\\share";

struct TMachine {
  fs::path DriveC;  // canonical, as the mapping's results are compared
  fs::path ShareFolder;
};

const TMachine& Machine() {
  static const TMachine machine = [] {
    const fs::path driveC = fuzz::MachineDriveC();
    // A few folders, so that lookups ignoring letter case find something.
    fs::create_directories(driveC / "Work" / "Deep");
    fs::create_directories(driveC / "data");
    fuzz::WriteHostFile(driveC / "data" / "File.txt", "x");
    const fs::path share = driveC.parent_path() / "share";
    fs::create_directories(share / "In");
    win::TRegistry registry;
    if (!registry.OpenKey("SOFTWARE\\Zerurud\\Platform\\Network\\Shares", true)) {
      fuzz::Fail("cannot record the share");
    }
    registry.WriteString(kShare, share.string());
    return TMachine{fs::canonical(driveC), fs::canonical(share)};
  }();
  return machine;
}

bool HasDriveLetter(std::string_view path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

bool IsBelow(const fs::path& path, const fs::path& folder) {
  const std::string p = path.string();
  const std::string f = folder.string();
  return p == f || (p.starts_with(f) && p[f.size()] == '/');
}

// Where `path` must end up: its own drive or share, or the current one.
std::string ExpectedRoot(std::string path, const win::TCurrentDirectories& dirs) {
  for (char& c : path)
    if (c == '/') c = '\\';
  if (path.starts_with("\\\\")) return win::ExtractFileDrive(path);
  if (HasDriveLetter(path)) return path.substr(0, 2);
  return win::ExtractFileDrive(dirs.Current);
}

void CheckResolved(const std::string& full, const std::string& path,
                   const win::TCurrentDirectories& dirs) {
  std::string again;
  fuzz::Check(win::ResolveFullPath(full, dirs, again), "cannot resolve its own result " + full);
  fuzz::Check(again == full, full + " resolves to " + again);
  fuzz::Check(win::SameText(win::ExtractFileDrive(full), ExpectedRoot(path, dirs)),
              path + " left its drive: " + full);
  fuzz::Check(full.find('/') == std::string::npos, "a slash in " + full);
  const std::string root = win::ExtractFileDrive(full);
  std::string rest = full.substr(root.size());
  if (rest.ends_with('\\')) rest.pop_back();
  for (const std::string_view bad : {"\\.\\", "\\..\\", "\\\\"}) {
    fuzz::Check((rest + "\\").find(bad) == std::string::npos, "unresolved part in " + full);
  }
}

// A full path on C: or on the share must map inside that folder or be refused.
void CheckMapping(const std::string& full) {
  const bool onDriveC = win::SameText(win::ExtractFileDrive(full), "C:");
  const bool onShare = win::SameText(win::ExtractFileDrive(full), kShare);
  if (!onDriveC && !onShare) return;
  fs::path host;
  if (!win::HostPathFromWindows(full, host)) {
    const win::DWORD code = win::GetLastError();
    fuzz::Check(code == win::ERROR_INVALID_NAME || code == win::ERROR_BAD_NETPATH,
                full + " refused with " + std::to_string(code));
    return;
  }
  const fs::path folder = onDriveC ? Machine().DriveC : Machine().ShareFolder;
  std::error_code error;
  const fs::path real = fs::weakly_canonical(host, error);
  if (error) {
    // A name too long for the host: no call can reach it, but the path
    // itself must still stay below its root.
    fuzz::Check(error == std::errc::filename_too_long, host.string() + ": " + error.message());
    const fs::path root = onDriveC ? win::DosDevicesPath() / "c:" : Machine().ShareFolder;
    fuzz::Check(host.lexically_normal() == host && IsBelow(host, root),
                full + " maps to " + host.string() + ", outside " + root.string());
    return;
  }
  fuzz::Check(IsBelow(real, folder),
              full + " maps to " + real.string() + ", outside " + folder.string());
  if (!onDriveC) return;
  std::string windows;
  fuzz::Check(win::WindowsPathFromHost(host, windows), "no Windows form of " + host.string());
  fs::path back;
  fuzz::Check(win::HostPathFromWindows(windows, back) && fs::weakly_canonical(back) == real,
              full + " came back as " + windows);
}

win::TCurrentDirectories DirectoriesFrom(fuzz::TInput& input) {
  static const char* const kCurrent[] = {"C:\\", "C:\\Work\\Deep", "d:\\Data",
                                         "\\\\srv\\share\\In"};
  win::TCurrentDirectories dirs;
  dirs.Current = kCurrent[input.Below(3)];
  if (input.Bit()) dirs.PerDrive['C'] = "C:\\data";
  if (input.Bit()) dirs.PerDrive['E'] = "E:\\x\\y";
  return dirs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Machine();
  fuzz::TInput input(data, size);
  const win::TCurrentDirectories dirs = DirectoriesFrom(input);
  const std::string path(input.Rest());

  // A full path as given is mapped as it stands: callers that skip the
  // resolution must not reach outside the drive either.
  if (path.size() >= 3 && (path.starts_with("\\\\") || (HasDriveLetter(path) && path[2] == '\\'))) {
    CheckMapping(path);
  }
  std::string full;
  if (!win::ResolveFullPath(path, dirs, full)) {
    const win::DWORD code = win::GetLastError();
    fuzz::Check(code == win::ERROR_INVALID_NAME || code == win::ERROR_FILENAME_EXCED_RANGE,
                path + " refused with " + std::to_string(code));
    return 0;
  }
  CheckResolved(full, path, dirs);
  CheckMapping(full);
  return 0;
}
