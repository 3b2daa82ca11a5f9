#include "platform/handle.h"

#include <mutex>
#include <unordered_set>

namespace win {

namespace {

std::mutex& HandleLock() {
  static std::mutex lock;
  return lock;
}

std::unordered_set<const TKernelObject*>& OpenHandles() {
  static std::unordered_set<const TKernelObject*> handles;
  return handles;
}

}  // namespace

TKernelObject::TKernelObject() {
  std::lock_guard<std::mutex> guard(HandleLock());
  OpenHandles().insert(this);
}

TKernelObject::~TKernelObject() {
  std::lock_guard<std::mutex> guard(HandleLock());
  OpenHandles().erase(this);
}

bool IsOpenHandle(HANDLE handle) {
  std::lock_guard<std::mutex> guard(HandleLock());
  return handle != nullptr && OpenHandles().contains(handle);
}

bool CloseHandle(HANDLE handle) {
  if (!IsOpenHandle(handle)) return Fail(ERROR_INVALID_HANDLE);
  delete handle;
  return true;
}

}  // namespace win
