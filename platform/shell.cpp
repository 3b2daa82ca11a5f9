#include "platform/shell.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/hive.h"
#include "platform/hivefile.h"
#include "platform/path.h"
#include "platform/prefix.h"

namespace win {

namespace {

constexpr char kShellFoldersKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kCommonStartMenu[] = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu";
constexpr char kUserStartMenu[] = "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";
constexpr char kStartupBelowStartMenu[] = "\\Programs\\Startup";

std::string EffectiveUserName() {
  const uid_t uid = ::geteuid();
  if (const passwd* entry = ::getpwuid(uid); entry != nullptr && entry->pw_name != nullptr) {
    return entry->pw_name;
  }
  return std::to_string(uid);
}

struct TFolder {
  const char* ValueName;
  bool Common;
  bool Startup;
};

std::optional<TFolder> FolderOf(int folder) {
  switch (folder) {
    case CSIDL_STARTUP:
      return TFolder{"Startup", false, true};
    case CSIDL_STARTMENU:
      return TFolder{"Start Menu", false, false};
    case CSIDL_COMMON_STARTMENU:
      return TFolder{"Common Start Menu", true, false};
    case CSIDL_COMMON_STARTUP:
      return TFolder{"Common Startup", true, true};
    default:
      return std::nullopt;
  }
}

std::string DefaultPath(const TFolder& folder) {
  const std::string startMenu = folder.Common
                                    ? std::string(kCommonStartMenu)
                                    : "C:\\Users\\" + EffectiveUserName() + kUserStartMenu;
  return folder.Startup ? startMenu + kStartupBelowStartMenu : startMenu;
}

// The folder's path as the hive records it, or its default.
std::optional<std::string> FolderPath(const TFolder& folder) {
  try {
    const THive hive = LoadHive(HivePath());
    if (const THiveValue* value = hive.FindValue(kShellFoldersKey, folder.ValueName)) {
      const std::string text = value->Data.substr(0, value->Data.find('\0'));
      if ((value->Type == REG_SZ || value->Type == REG_EXPAND_SZ) && !text.empty()) return text;
    }
  } catch (const Exception&) {
    return std::nullopt;
  }
  return DefaultPath(folder);
}

IMalloc gShellAllocator;

}  // namespace

void* IMalloc::Alloc(std::size_t size) { return std::malloc(size); }

void IMalloc::Free(void* block) { std::free(block); }

ULONG IMalloc::Release() { return 1; }

HRESULT SHGetSpecialFolderLocation(HWND /*owner*/, int folder, LPITEMIDLIST* list) {
  const std::optional<TFolder> known = FolderOf(folder);
  if (!known || list == nullptr) return E_INVALIDARG;
  *list = nullptr;
  const std::optional<std::string> path = FolderPath(*known);
  if (!path) return E_FAIL;
  if (!DirectoryExists(*path)) return E_FOLDER_NOT_FOUND;
  void* block = gShellAllocator.Alloc(path->size() + 1);
  if (block == nullptr) return E_OUTOFMEMORY;
  std::memcpy(block, path->c_str(), path->size() + 1);
  *list = static_cast<LPITEMIDLIST>(block);
  return S_OK;
}

bool SHGetPathFromIDList(const ITEMIDLIST* list, char* path) {
  if (list == nullptr || path == nullptr) return false;
  const char* text = reinterpret_cast<const char*>(list);
  const std::size_t length = std::strlen(text);
  if (length + 1 > MAX_PATH) return false;
  std::memcpy(path, text, length + 1);
  return true;
}

HRESULT SHGetMalloc(IMalloc** allocator) {
  if (allocator == nullptr) return E_INVALIDARG;
  *allocator = &gShellAllocator;
  return S_OK;
}

}  // namespace win
