#include "platform/foldernames.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/inotify.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <unordered_map>

#include "platform/text.h"

namespace win {

namespace {

constexpr std::uint32_t kNameChanges =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR;

// Beyond this many folders the least recently used one is forgotten, so that
// a process that looks into many folders holds neither their names nor
// watches on them.
constexpr std::size_t kMaxIndexedFolders = 64;

bool EqualsFolded(const char* name, const std::string& folded) {
  std::size_t i = 0;
  for (; name[i] != '\0'; ++i) {
    if (i == folded.size() || LowerChar(name[i]) != folded[i]) return false;
  }
  return i == folded.size();
}

// The first entry (in byte order) of the open folder `dir`, which this closes,
// that equals `name` ignoring case.
bool ScanForName(DIR* dir, const std::string& name, std::string& found) {
  const std::string folded = LowerCase(name);
  bool any = false;
  while (const dirent* entry = ::readdir(dir)) {
    if (EqualsFolded(entry->d_name, folded) && (!any || found > entry->d_name)) {
      found = entry->d_name;
      any = true;
    }
  }
  ::closedir(dir);
  return any;
}

// File systems where every change passes through this kernel, and so is
// notified; on network and user-space ones others change folders unseen.
bool EveryChangeIsNotified(int folder) {
  struct statfs info {};
  if (::fstatfs(folder, &info) != 0) return false;
  switch (static_cast<unsigned long>(info.f_type)) {
    case EXT4_SUPER_MAGIC:
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
    case TMPFS_MAGIC:
      return true;
    default:
      return false;
  }
}

// A folder's names by their folded form, each with its spellings.
using TFolderNames = std::unordered_map<std::string, std::set<std::string>>;

void AddName(TFolderNames& names, const std::string& name) { names[LowerCase(name)].insert(name); }

void RemoveName(TFolderNames& names, const std::string& name) {
  const auto spellings = names.find(LowerCase(name));
  if (spellings == names.end()) return;
  spellings->second.erase(name);
  if (spellings->second.empty()) names.erase(spellings);
}

// Every name of the open folder `folder`, read through a descriptor of its
// own so that `folder` stays unread.
bool ReadNames(int folder, TFolderNames& names) {
  const int own = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (own < 0) return false;
  DIR* dir = ::fdopendir(own);
  if (dir == nullptr) {
    ::close(own);
    return false;
  }
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) AddName(names, entry->d_name);
  const bool complete = errno == 0;
  ::closedir(dir);
  return complete;
}

// The names of the folders looked into, each kept current by the
// notifications of its watch. A folder is indexed by its watch, and the
// kernel gives one inode one watch, so every path to a folder shares its
// entry and a path that comes to name another folder gets another entry.
class TFolderIndex {
 public:
  // The answer for the open folder `folder`; nullopt when the index cannot
  // give one and the folder must be read.
  std::optional<bool> Find(int folder, const std::string& name, std::string& found) {
    std::lock_guard<std::mutex> guard(FLock);
    if (!Ready()) return std::nullopt;
    const std::string path = "/proc/self/fd/" + std::to_string(folder);
    const int watch = ::inotify_add_watch(FNotify, path.c_str(), kNameChanges);
    if (watch < 0) return std::nullopt;
    // The watch is in place before the names are read, so every change from
    // then on is applied to them, whether the reading saw it or not.
    Drain();
    auto indexed = FFolders.find(watch);
    if (indexed == FFolders.end()) {
      TFolderNames names;
      if (!EveryChangeIsNotified(folder) || !ReadNames(folder, names)) {
        ::inotify_rm_watch(FNotify, watch);
        return std::nullopt;
      }
      if (FFolders.size() >= kMaxIndexedFolders) ForgetLeastRecentlyUsed();
      indexed = FFolders.emplace(watch, TFolder{std::move(names), 0}).first;
    }
    indexed->second.LastUse = ++FUses;
    const auto spellings = indexed->second.Names.find(LowerCase(name));
    if (spellings == indexed->second.Names.end()) return false;
    found = *spellings->second.begin();
    return true;
  }

 private:
  struct TFolder {
    TFolderNames Names;
    std::uint64_t LastUse;
  };

  // The notification instance is this process's own; a forked child shares
  // its parent's and must not take the parent's notifications.
  bool Ready() {
    if (FNotify >= 0) return FOwner == ::getpid();
    FNotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    FOwner = ::getpid();
    return FNotify >= 0;
  }

  void Drain() {
    alignas(inotify_event) char buffer[16384];
    for (;;) {
      const ssize_t got = ::read(FNotify, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0 && errno != EAGAIN) ForgetAll();
      if (got <= 0) return;
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        Apply(*event);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
  }

  void Apply(const inotify_event& event) {
    if ((event.mask & IN_Q_OVERFLOW) != 0) {
      // Changes were lost: no folder's names can be trusted.
      ForgetAll();
      return;
    }
    const auto indexed = FFolders.find(event.wd);
    if (indexed == FFolders.end()) return;
    if ((event.mask & IN_IGNORED) != 0) {
      // The folder was deleted or its file system unmounted.
      FFolders.erase(indexed);
      return;
    }
    if (event.len == 0) return;
    const std::string name = event.name;
    if ((event.mask & (IN_CREATE | IN_MOVED_TO)) != 0) AddName(indexed->second.Names, name);
    if ((event.mask & (IN_DELETE | IN_MOVED_FROM)) != 0) RemoveName(indexed->second.Names, name);
  }

  void ForgetAll() {
    for (const auto& [watch, folder] : FFolders) ::inotify_rm_watch(FNotify, watch);
    FFolders.clear();
  }

  void ForgetLeastRecentlyUsed() {
    auto oldest = FFolders.begin();
    for (auto it = FFolders.begin(); it != FFolders.end(); ++it) {
      if (it->second.LastUse < oldest->second.LastUse) oldest = it;
    }
    ::inotify_rm_watch(FNotify, oldest->first);
    FFolders.erase(oldest);
  }

  std::mutex FLock;
  int FNotify = -1;
  pid_t FOwner = 0;
  std::uint64_t FUses = 0;
  std::unordered_map<int, TFolder> FFolders;
};

// Never destroyed, so that a lookup during the program's exit still works.
TFolderIndex& Index() {
  static TFolderIndex* const index = new TFolderIndex;
  return *index;
}

}  // namespace

bool FindNameIgnoringCase(const std::filesystem::path& folder, const std::string& name,
                          std::string& found) {
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return false;
  if (const std::optional<bool> indexed = Index().Find(descriptor, name, found)) {
    ::close(descriptor);
    return *indexed;
  }
  DIR* dir = ::fdopendir(descriptor);
  if (dir == nullptr) {
    ::close(descriptor);
    return false;
  }
  return ScanForName(dir, name, found);
}

}  // namespace win
