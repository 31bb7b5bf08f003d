#include "VekUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <limits>

TEST(VekUtilConvert, Numbers) {
  EXPECT_EQ(IMax(3, 7), 7);
  EXPECT_EQ(IMax(-3, -7), -3);
  EXPECT_EQ(IAbs(-5), 5);
  EXPECT_EQ(IAbs(5), 5);
  EXPECT_EQ(IAbs(std::numeric_limits<int64_t>::min()), std::numeric_limits<int64_t>::max());

  EXPECT_EQ(IPercent(200, 50), 100);
  EXPECT_EQ(IPercent(1, 50), 0);   // 0.5 rounds to even
  EXPECT_EQ(IPercent(3, 50), 2);   // 1.5 rounds to even
  EXPECT_EQ(IPercent(5, 50), 2);   // 2.5 rounds to even
  EXPECT_EQ(IPercent(7, 10), 1);   // 0.7
  EXPECT_EQ(IPercent(-3, 50), -2); // -1.5
  EXPECT_EQ(IPercent(10000000000LL, 75), 7500000000LL);
  // A product beyond 64 bits must not crash; its result stays in range.
  const int64_t Huge = IPercent(std::numeric_limits<int64_t>::max(), 1000);
  EXPECT_LE(IAbs(Huge), std::numeric_limits<int64_t>::max() / 100 + 1);
}

TEST(VekUtilConvert, IValReadsTheLeadingNumber) {
  EXPECT_EQ(IVal("  42abc"), 42);
  EXPECT_EQ(IVal("-$10"), -16);
  EXPECT_EQ(IVal("\t5"), 0);
  EXPECT_EQ(IVal(""), 0);
  EXPECT_EQ(IVal("abc"), 0);
  EXPECT_EQ(IVal("+7"), 7);
  EXPECT_EQ(IVal("- 7"), 0);
  EXPECT_EQ(IVal("0x1f"), 31);
  EXPECT_EQ(IVal("0XFF"), 255);
  EXPECT_EQ(IVal("x10"), 16);
  EXPECT_EQ(IVal("Xa"), 10);
  EXPECT_EQ(IVal("$fFg"), 255);
  EXPECT_EQ(IVal("0x"), 0);
  EXPECT_EQ(IVal("007"), 7);
  EXPECT_EQ(IVal("12.5"), 12);
  EXPECT_EQ(IVal("10000000"), 10000000);
}

TEST(VekUtilConvert, IValStopLimits) {
  // Decimal: reading goes on while the value is at most the stop limit.
  EXPECT_EQ(IVal("922337203685477580"), 922337203685477580LL);
  EXPECT_EQ(IVal("9223372036854775807"), 9223372036854775807LL);
  EXPECT_EQ(IVal("-9223372036854775808"), std::numeric_limits<int64_t>::min());
  // Once above the limit no further digit is read.
  EXPECT_EQ(IVal("922337203685477581123"), 922337203685477581LL);
  EXPECT_EQ(IVal("99999999999999999999999"), 999999999999999999LL);
  EXPECT_EQ(IVal("-99999999999999999999999"), -999999999999999999LL);
  // The one digit read after reaching the limit may leave the signed range:
  // the result is held at its end.
  EXPECT_EQ(IVal("9223372036854775809"), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(IVal("-9223372036854775809"), std::numeric_limits<int64_t>::min());
  // Hexadecimal: the limit is 2^60 - 1.
  EXPECT_EQ(IVal("$FFFFFFFFFFFFFFF"), 1152921504606846975LL);
  EXPECT_EQ(IVal("$FFFFFFFFFFFFFFF0"), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(IVal("$7FFFFFFFFFFFFFFF"), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(IVal("$10000000000000001"), 0x1000000000000000LL);
}

TEST(VekUtilConvert, BValIsTolerant) {
  for (const char* Truth :
       {"yes", " Ja ", "1", "-5", "12abc", "0x1f", "wahr", " y ", "TRUE", "on", "Ein", "j"})
    EXPECT_TRUE(BVal(Truth)) << Truth;
  for (const char* Falsehood : {"", "0", "no", "FALSE", "abc", "0x0", "off", "  ", "yess"})
    EXPECT_FALSE(BVal(Falsehood)) << Falsehood;
}

TEST(VekUtilConvert, FormatStampUsesLocalTime) {
  std::tm Local{};
  Local.tm_year = 2024 - 1900;
  Local.tm_mon = 2;
  Local.tm_mday = 5;
  Local.tm_hour = 7;
  Local.tm_min = 8;
  Local.tm_sec = 9;
  Local.tm_isdst = -1;
  const std::time_t Time = std::mktime(&Local);
  const TDateTime Value =
      std::chrono::system_clock::from_time_t(Time) + std::chrono::milliseconds(42);
  EXPECT_EQ(FormatStamp(" yyyy-mm-dd", Value), " 2024-03-05");
  EXPECT_EQ(FormatStamp(" hh-nn-ss zzz", Value), " 07-08-09 042");
  EXPECT_EQ(FormatStamp("dd.mm.yyyy hh:nn", Value), "05.03.2024 07:08");
  EXPECT_EQ(FormatStamp("x", Value), "x");
  EXPECT_EQ(FormatStamp("", Value), "");
}
