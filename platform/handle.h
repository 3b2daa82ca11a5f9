// Handles: tokens (token.h), processes (processobject.h) and network
// enumerations (network.h) are kernel objects behind one HANDLE type, closed
// by CloseHandle (enumerations by WNetCloseEnum). nullptr is no handle.
//
// A handle is a pointer to its object; the open ones are kept in one set, so
// that a closed or made-up handle is refused instead of being touched.
#pragma once

#include "platform/error.h"

namespace win {

// The base of every object a HANDLE names. Objects are created by the calls
// that return handles and destroyed by CloseHandle.
class TKernelObject {
 public:
  TKernelObject(const TKernelObject&) = delete;
  TKernelObject& operator=(const TKernelObject&) = delete;
  virtual ~TKernelObject();

 protected:
  TKernelObject();
};

using HANDLE = TKernelObject*;

// Closes a handle; false with ERROR_INVALID_HANDLE for nullptr or a handle
// that is not open (closed already), which is never touched.
bool CloseHandle(HANDLE handle);

// True while `handle` is open.
bool IsOpenHandle(HANDLE handle);
// The object behind an open handle when it is a T, else nullptr.
template <typename T>
T* HandleObject(HANDLE handle) {
  return IsOpenHandle(handle) ? dynamic_cast<T*>(handle) : nullptr;
}

}  // namespace win
