// An allocator for the engine's big arrays (the joined text, the split's
// index). Each page that a program touches for the first time costs a fault,
// and on a virtual machine a fault is dear; blocks of a megabyte or more are
// therefore mapped on their own, aligned to 2 MiB and offered to the kernel
// for transparent huge pages, which take 512 times fewer faults. Smaller
// blocks come from the ordinary heap.
#pragma once

#include <cstddef>
#include <new>
#include <string>
#include <vector>

namespace splitter {

namespace huge_pages {

// Raw blocks; Free must be given the size that Allocate was given.
void* Allocate(std::size_t bytes);
void Free(void* block, std::size_t bytes) noexcept;

}  // namespace huge_pages

template <class T>
class THugePageAllocator {
 public:
  using value_type = T;

  THugePageAllocator() = default;
  template <class U>
  THugePageAllocator(const THugePageAllocator<U>&) noexcept {}

  T* allocate(std::size_t count) {
    if (count > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(huge_pages::Allocate(count * sizeof(T)));
  }
  void deallocate(T* block, std::size_t count) noexcept {
    huge_pages::Free(block, count * sizeof(T));
  }

  template <class U>
  bool operator==(const THugePageAllocator<U>&) const noexcept {
    return true;
  }
};

template <class T>
using THugeVector = std::vector<T, THugePageAllocator<T>>;

}  // namespace splitter
