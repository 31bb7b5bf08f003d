#include "VekExceptions.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

template <class T> std::exception_ptr Thrown(T Value) {
  try {
    throw Value;
  } catch (...) {
    return std::current_exception();
  }
}

} // namespace

TEST(VekExceptions, EveryKindIsDescribedForTheReports) {
  const TExceptionDescription Own = DescribeException(Thrown(EJPEG("JPEG error #53")));
  EXPECT_EQ(Own.Kind, TExceptionDescription::Described);
  EXPECT_EQ(Own.ClassName, "EJPEG");
  EXPECT_EQ(Own.Message, "JPEG error #53");
  EXPECT_EQ(Own.ReportText("\r\n"), "(EJPEG)\r\nJPEG error #53");
  EXPECT_EQ(Own.ReportText(" "), "(EJPEG) JPEG error #53");

  const TExceptionDescription Foreign = DescribeException(Thrown(std::out_of_range("index 7")));
  EXPECT_EQ(Foreign.ReportText(" "), "(std::out_of_range) index 7");
  EXPECT_EQ(DescribeException(Thrown(EOutOfMemory())).ReportText(" "),
            "(EOutOfMemory) Out of memory");

  const TExceptionDescription Odd = DescribeException(Thrown(42));
  EXPECT_EQ(Odd.Kind, TExceptionDescription::Unknown);
  EXPECT_EQ(Odd.ReportText("\r\n"), "(unknown exception)");

  const TExceptionDescription Silent = DescribeException(Thrown(EAbort()));
  EXPECT_EQ(Silent.Kind, TExceptionDescription::SilentAbort);
  EXPECT_EQ(Silent.ReportText(" "), "");

  const TExceptionDescription None = DescribeException(nullptr);
  EXPECT_EQ(None.Kind, TExceptionDescription::None);
  EXPECT_EQ(None.ReportText(" "), "");
}
