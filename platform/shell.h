// The shell's special folders: SHGetSpecialFolderLocation,
// SHGetPathFromIDList and the shell allocator (SHGetMalloc) that frees the
// item lists, for the Startup folders and Start menus.
//
// Where the folders are comes from the hive, as Windows records them:
// "Common Startup", "Common Start Menu", "Startup" and "Start Menu" under
// SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders. A value
// that is absent, empty or not a string gives the default on drive C:, the
// common folders under C:\ProgramData\Microsoft\Windows\Start Menu and the
// user's under C:\Users\<user>\AppData\Roaming\Microsoft\Windows\Start Menu,
// <user> being the name of the effective user. A folder is found only when
// it exists (through the prefix's drive mapping); nothing is created.
//
// An item list here holds nothing but the folder's path; it knows no
// virtual folders and no other folder identifiers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace win {

inline constexpr int CSIDL_STARTUP = 7;
inline constexpr int CSIDL_STARTMENU = 11;
inline constexpr int CSIDL_COMMON_STARTMENU = 22;
inline constexpr int CSIDL_COMMON_STARTUP = 24;

using HRESULT = std::int32_t;
using HWND = void*;
using ULONG = std::uint32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
// HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND): the folder does not exist.
inline constexpr HRESULT E_FOLDER_NOT_FOUND = static_cast<HRESULT>(0x80070002);

inline bool SUCCEEDED(HRESULT result) { return result >= 0; }
inline bool FAILED(HRESULT result) { return result < 0; }

struct ITEMIDLIST;
using LPITEMIDLIST = ITEMIDLIST*;

// The shell's allocator: item lists are freed through it.
class IMalloc {
 public:
  void* Alloc(std::size_t size);
  // Frees a block of Alloc or an item list; nullptr is ignored.
  void Free(void* block);
  // The allocator lives as long as the process; the count is never zero.
  ULONG Release();
};

// The item list of `folder` (one of the CSIDL values above) in `*list`, to
// be freed with the shell allocator. E_INVALIDARG for another identifier or
// a null `list`, E_FOLDER_NOT_FOUND when the folder does not exist, E_FAIL
// when the hive cannot be read. `owner` is not used.
HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* list);

// Writes the folder's path, with its terminating zero, into `path`, a
// buffer of MAX_PATH (260) bytes. False for a null list or path, or a path
// that does not fit.
bool SHGetPathFromIDList(const ITEMIDLIST* list, char* path);

// The shell allocator; S_OK.
HRESULT SHGetMalloc(IMalloc** allocator);

}  // namespace win
