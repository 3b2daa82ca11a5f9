#include "installer/program_shortcut.h"

#include "platform/files.h"
#include "platform/path.h"
#include "platform/shell.h"

namespace installer {

namespace {

std::string ShortCutFile(const std::string& folderPath, const std::string& name) {
  return folderPath + "\\" + name + ".lnk";
}

}  // namespace

bool TProgramShortCut::GetSpecialFolderPath(int folder, std::string& path) {
  win::LPITEMIDLIST list = nullptr;
  if (win::FAILED(win::SHGetSpecialFolderLocation(nullptr, folder, &list))) return false;
  char buffer[win::MAX_PATH] = {};
  const bool found = win::SHGetPathFromIDList(list, buffer);
  // The item list is freed whether or not it had a path.
  win::IMalloc* allocator = nullptr;
  if (win::SUCCEEDED(win::SHGetMalloc(&allocator))) {
    allocator->Free(list);
    allocator->Release();
  }
  if (!found) return false;
  path = buffer;
  return true;
}

bool TProgramShortCut::ShortCutExists(const std::string& name, int folder) {
  std::string folderPath;
  if (!GetSpecialFolderPath(folder, folderPath)) return false;
  return win::FileExists(ShortCutFile(folderPath, name));
}

bool TProgramShortCut::DeleteShortCut(const std::string& name, int folder) {
  std::string folderPath;
  if (!GetSpecialFolderPath(folder, folderPath)) return false;
  return win::DeleteFile(ShortCutFile(folderPath, name));
}

}  // namespace installer
