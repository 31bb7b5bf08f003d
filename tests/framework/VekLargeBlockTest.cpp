#include "VekLargeBlock.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(VekLargeBlock, BlocksAreZeroFilledWritableAndKnowTheirSize) {
  // Empty, smaller than a page, and a few megabytes.
  for (int64_t Count : {int64_t{0}, int64_t{1}, int64_t{1000}, int64_t{3} << 20}) {
    SCOPED_TRACE(Count);
    TLargeArray<uint16_t> Block = AllocLargeArray<uint16_t>(Count);
    ASSERT_NE(Block.get(), nullptr);
    EXPECT_EQ(LargeArrayCount(Block), Count);
    for (int64_t I = 0; I < Count; I += 4093)
      ASSERT_EQ(Block[I], 0) << I;
    if (Count > 1) {
      Block[0] = 1;
      Block[Count - 1] = 2;
      EXPECT_EQ(Block[0] + Block[Count - 1], 3);
      EXPECT_EQ(Block[1], 0);
    }
  }
  EXPECT_EQ(LargeArrayCount(TLargeArray<float>()), 0);
}

TEST(VekLargeBlock, SizesBeyondOneBlockAreOutOfMemory) {
  EXPECT_THROW(AllocLargeArray<float>(-1), EOutOfMemory);
  EXPECT_THROW(AllocLargeArray<float>(MaxBlockBytes / 4 + 1), EOutOfMemory);
  EXPECT_THROW(AllocLargeArray<uint8_t>(INT64_MAX), EOutOfMemory);
}

} // namespace
