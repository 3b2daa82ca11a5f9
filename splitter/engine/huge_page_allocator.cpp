#include "splitter/engine/huge_page_allocator.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace splitter {

namespace huge_pages {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kMappedFrom = std::size_t{1} << 20;

std::size_t RoundUp(std::size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }

}  // namespace

void* Allocate(std::size_t bytes) {
  if (bytes < kMappedFrom) {
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (block == nullptr) throw std::bad_alloc();
    return block;
  }
  // Map one huge page more than needed, so that an aligned start exists,
  // and give back what lies before and after it.
  const std::size_t size = RoundUp(bytes);
  void* mapped =
      ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
  if (aligned > start) ::munmap(mapped, aligned - start);
  const std::uintptr_t end = aligned + size;
  const std::uintptr_t mappedEnd = start + size + kHugePage;
  if (mappedEnd > end) ::munmap(reinterpret_cast<void*>(end), mappedEnd - end);
  // Only advice: without transparent huge pages the block works the same.
  ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(aligned);
}

void Free(void* block, std::size_t bytes) noexcept {
  if (block == nullptr) return;
  if (bytes < kMappedFrom) {
    std::free(block);
  } else {
    ::munmap(block, RoundUp(bytes));
  }
}

}  // namespace huge_pages

}  // namespace splitter
