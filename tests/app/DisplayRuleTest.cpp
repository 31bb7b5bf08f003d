#include "DisplayRule.h"

#include <gtest/gtest.h>

namespace {

void ExpectRect(const TDisplayRect& Rect, int Left, int Top, int Width, int Height) {
  EXPECT_EQ(Rect.Left, Left);
  EXPECT_EQ(Rect.Top, Top);
  EXPECT_EQ(Rect.Width, Width);
  EXPECT_EQ(Rect.Height, Height);
}

TEST(DisplayRule, PicturesThatFitAreCentredAtTheirOwnSize) {
  ExpectRect(DisplayRect(760, 430, 831, 552), 35, 61, 760, 430);
  ExpectRect(DisplayRect(400, 300, 831, 552), 215, 126, 400, 300);
  // Exactly the area's size, and a picture never enlarged.
  ExpectRect(DisplayRect(831, 552, 831, 552), 0, 0, 831, 552);
  ExpectRect(DisplayRect(4, 2, 831, 552), 413, 275, 4, 2);
}

TEST(DisplayRule, WidePicturesShrinkToTheWidthThenToTheHeight) {
  // 831 wide would make it 554 high: too tall, so 552 high and 828 wide.
  ExpectRect(DisplayRect(3000, 2000, 831, 552), 1, 0, 828, 552);
  // A panorama stays at the full width.
  ExpectRect(DisplayRect(3000, 1000, 831, 552), 0, 137, 831, 277);
  // Only the width is too large; 831 * 100 / 900 = 92.3 is truncated.
  ExpectRect(DisplayRect(900, 100, 831, 552), 0, 230, 831, 92);
}

TEST(DisplayRule, TallAndSquarePicturesShrinkToTheHeightThenToTheWidth) {
  ExpectRect(DisplayRect(2000, 3000, 831, 552), 231, 0, 368, 552);
  ExpectRect(DisplayRect(1000, 1000, 831, 552), 139, 0, 552, 552);
  // 552 wide would not fit 300: the width wins and the height follows.
  ExpectRect(DisplayRect(1000, 1000, 300, 552), 0, 126, 300, 300);
  ExpectRect(DisplayRect(100, 700, 831, 552), 376, 0, 78, 552);
}

TEST(DisplayRule, EmptyPicturesAndAreasDrawNothing) {
  EXPECT_EQ(DisplayRect(0, 0, 831, 552).Width, 0);
  EXPECT_EQ(DisplayRect(0, 0, 831, 552).Height, 0);
  // A window shrunk to nothing: no division by zero, nothing to draw.
  const TDisplayRect Hidden = DisplayRect(760, 430, 0, 0);
  EXPECT_EQ(Hidden.Width, 0);
  EXPECT_EQ(Hidden.Height, 0);
  // Products beyond 32 bits are worked out exactly.
  ExpectRect(DisplayRect(60000, 40000, 60000, 30000), 7500, 0, 45000, 30000);
}

} // namespace
