#include "VekUtil.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::string> SplitAll(std::string Record, const std::string& Delimiter) {
  std::vector<std::string> Fields;
  std::string Field;
  while (!Record.empty()) {
    GetParam(Record, Delimiter, Field);
    Fields.push_back(Field);
  }
  return Fields;
}

} // namespace

TEST(VekUtilText, InStrPositions) {
  EXPECT_EQ(InStr("abcabc", "c", 4), 6);
  EXPECT_EQ(InStr("abcabc", "c", 1), 3);
  EXPECT_EQ(InStr("abc", "", 7), 7);
  EXPECT_EQ(InStr("abc", "", -3), 1);
  EXPECT_EQ(InStr("ab", "abc", 1), 0);
  EXPECT_EQ(InStr("abc", "c", 4), 0);
  EXPECT_EQ(InStr("abab", "ab", 2), 3);
  EXPECT_EQ(InStr("aXbc", "bc", 1), 3);
  EXPECT_EQ(InStr("abc", "C", 1), 0); // case-sensitive
  EXPECT_EQ(InStr("", "a", 1), 0);
}

TEST(VekUtilText, CharInStrPositions) {
  EXPECT_EQ(CharInStr("abc", 'a', 0), 1);
  EXPECT_EQ(CharInStr("abc", 'a', 4), 0);
  EXPECT_EQ(CharInStr("abca", 'a', 2), 4);
  EXPECT_EQ(CharInStr("abc", 'z', 1), 0);
  EXPECT_EQ(CharInStr("", 'a', 1), 0);
  EXPECT_EQ(CharInStr("abc", 'c', -5), 3);
}

TEST(VekUtilText, SafeCopyAndHeadStr) {
  EXPECT_EQ(SafeCopy("abcdef", -1, 4), "ab");
  EXPECT_EQ(SafeCopy("abc", 2, 2147483646), "bc");
  EXPECT_EQ(SafeCopy("abc", 4, 1), "");
  EXPECT_EQ(SafeCopy("abc", 1, 0), "");
  EXPECT_EQ(SafeCopy("abc", -5, 3), "");
  EXPECT_EQ(SafeCopy("abcdef", 2, 3), "bcd");
  EXPECT_EQ(SafeCopy("abc", -2147483647, 2147483647), "");
  EXPECT_EQ(HeadStr("abc", 0), "");
  EXPECT_EQ(HeadStr("abc", -1), "");
  EXPECT_EQ(HeadStr("abc", 2), "ab");
  EXPECT_EQ(HeadStr("abc", 10), "abc");
}

TEST(VekUtilText, GetParamSplitsFromTheFront) {
  EXPECT_EQ(SplitAll("a*b*", "*"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(SplitAll("a**b", "*"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(SplitAll("one<>two<>three", "<>"), (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(SplitAll("*x", "*"), (std::vector<std::string>{"", "x"}));

  std::string Text = "abc";
  std::string Field = "old";
  GetParam(Text, "", Field);
  EXPECT_EQ(Field, "");
  EXPECT_EQ(Text, "abc");

  Text = "no delimiter";
  GetParam(Text, "*", Field);
  EXPECT_EQ(Field, "no delimiter");
  EXPECT_EQ(Text, "");
}

TEST(VekUtilText, ReplaceAll) {
  EXPECT_EQ(ReplaceAll("aaaa", "aa", "b", 1), "bb");
  EXPECT_EQ(ReplaceAll("x.y.z", ".", "--", 3), "x.y--z");
  EXPECT_EQ(ReplaceAll("abc", "", "X", 1), "abc");
  EXPECT_EQ(ReplaceAll("", "a", "b", 1), "");
  EXPECT_EQ(ReplaceAll("aaa", "a", "aa", 1), "aaaaaa"); // New is never searched
  EXPECT_EQ(ReplaceAll("a-b-c", "-", "", 1), "abc");
  EXPECT_EQ(ReplaceAll("abc", "abc", "", 1), "");
  EXPECT_EQ(ReplaceAll("abc", "c", "x", 9), "abc");
  EXPECT_EQ(ReplaceAll("line\r\nnext\r\n", "\r\n", "      ", 1), "line      next      ");
  // Many long replacements force the buffer to grow several times.
  const std::string Long = ReplaceAll(std::string(1000, '.'), ".", "0123456789", 1);
  EXPECT_EQ(Long.size(), 10000u);
  EXPECT_EQ(Long.substr(9990), "0123456789");
}

TEST(VekUtilText, TrimHasCharIfStr) {
  EXPECT_EQ(Trim(" \t\r\n abc \x01\x1f "), "abc");
  EXPECT_EQ(Trim("  \t "), "");
  EXPECT_EQ(Trim("a b"), "a b");
  EXPECT_EQ(Trim("\xc3\xa4 "), "\xc3\xa4"); // bytes above 127 are not blanks

  const std::string WithZero("ab\0cd", 5);
  EXPECT_TRUE(HasChar(WithZero, 'b'));
  EXPECT_FALSE(HasChar(WithZero, 'c'));
  EXPECT_FALSE(HasChar(WithZero, '\0'));
  EXPECT_FALSE(HasChar("", 'a'));

  EXPECT_EQ(IfStr(true, "yes", "no"), "yes");
  EXPECT_EQ(IfStr(false, "yes", "no"), "no");
}

TEST(VekUtilText, UpperStrIsUnicodeAware) {
  EXPECT_EQ(UpperStr("abc.jpg"), "ABC.JPG");
  EXPECT_EQ(UpperStr("\xc3\xa4\xc3\xb6\xc3\xbc"), "\xc3\x84\xc3\x96\xc3\x9c"); // äöü -> ÄÖÜ
  EXPECT_EQ(UpperStr("stra\xc3\x9f"
                     "e"),
            "STRA\xc3\x9f"
            "E");                                              // ß stays
  EXPECT_EQ(UpperStr("\xce\xb1\xce\xb2"), "\xce\x91\xce\x92"); // αβ -> ΑΒ
  EXPECT_EQ(UpperStr("K\xc3\xb6ln 42!"), "K\xc3\x96LN 42!");
  // Invalid or cut sequences pass through byte for byte.
  EXPECT_EQ(UpperStr("a\xff"
                     "b"),
            "A\xff"
            "B");
  EXPECT_EQ(UpperStr("x\xc3"), "X\xc3");
  EXPECT_EQ(UpperStr("\xc0\xa1z"), "\xc0\xa1Z");         // overlong form
  EXPECT_EQ(UpperStr("\xed\xa0\x80q"), "\xed\xa0\x80Q"); // surrogate
  EXPECT_EQ(TrimUpper("  \xc3\xa4rger.tif \t"), "\xc3\x84RGER.TIF");
}
