#include "splitter/engine/huge_page_allocator.h"

#include <cstdint>
#include <numeric>

#include <gtest/gtest.h>

namespace splitter {

namespace {

TEST(HugePageAllocator, SmallAndMappedBlocksHoldTheirData) {
  THugeVector<std::uint32_t> values;
  // Growing by doubling moves the data from heap blocks into mapped ones.
  for (std::uint32_t i = 0; i < 3'000'000; ++i) values.push_back(i);
  EXPECT_EQ(std::accumulate(values.begin(), values.end(), std::uint64_t{0}),
            std::uint64_t{2'999'999} * 3'000'000 / 2);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(values.data()) % (std::size_t{2} << 20), 0u)
      << "a mapped block starts on a huge page";
  values.resize(10);
  values.shrink_to_fit();
  EXPECT_EQ(values.back(), 9u);
}

}  // namespace

}  // namespace splitter
