#include "core/text.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

TEST(Text, ComparesNamesAsWindowsDoes) {
  EXPECT_TRUE(EqualsNoCase("Software\\Microsoft", "SOFTWARE\\microsoft"));
  EXPECT_TRUE(EqualsNoCase("\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89"));                // Été / éTÉ
  EXPECT_TRUE(EqualsNoCase("\xD0\x9F\xD1\x80\xD0\xB8", "\xD0\xBF\xD0\xA0\xD0\x98"));  // При / пРИ
  EXPECT_TRUE(
      EqualsNoCase("\xC5\x81\xC3\xB3"
                   "d\xC5\xBA",
                   "\xC5\x82\xC3\x93"
                   "D\xC5\xB9"));  // Łódź
  EXPECT_FALSE(EqualsNoCase("abc", "abd"));
  EXPECT_FALSE(EqualsNoCase("abc", "ab"));
}

TEST(Text, OrdersLikeRegistrySubkeys) {
  // Upper-cased code point order: "_" (0x5F) sorts after the letters, "a" and "A" are equal.
  EXPECT_LT(CompareNoCase("apple", "Banana"), 0);
  EXPECT_GT(CompareNoCase("_x", "zzz"), 0);
  EXPECT_LT(CompareNoCase("ab", "abc"), 0);
  EXPECT_EQ(CompareNoCase("Key", "kEY"), 0);
}

TEST(Text, MapsCaseBothWays) {
  EXPECT_EQ(ToLowerText("C:\\Windows\\TEMP\\\xC3\x84"
                        "BC.TMP"),
            "c:\\windows\\temp\\\xC3\xA4"
            "bc.tmp");
  EXPECT_EQ(ToUpperText("stra\xC3\x9F"
                        "e"),
            "STRA\xC3\x9F"
            "E");  // ß has no one-letter capital
  EXPECT_EQ(ToUpperChar(0x00FF), 0x0178U);
  EXPECT_EQ(ToLowerChar(0x0178), 0x00FFU);
  EXPECT_EQ(ToUpperChar(0x00F7), 0x00F7U);  // the division sign is no letter
}

TEST(Text, SplitsEveryKindOfLineEnd) {
  EXPECT_EQ(SplitLines("2\r\n17\r\nY\r\n"), (std::vector<std::string>{"2", "17", "Y"}));
  EXPECT_EQ(SplitLines("a\nb"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(SplitLines("a\r\rb"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_TRUE(SplitLines("").empty());
  EXPECT_EQ(JoinLinesCrlf({"1", "0", "N"}), "1\r\n0\r\nN\r\n");
  EXPECT_EQ(SplitLines(JoinLinesCrlf({"x", "", "z"})), (std::vector<std::string>{"x", "", "z"}));
}

TEST(Text, ParsesOnlyPlainDecimalNumbers) {
  EXPECT_EQ(ParseInt32("17"), 17);
  EXPECT_EQ(ParseInt32("-3"), -3);
  EXPECT_EQ(ParseInt32("+4"), 4);
  EXPECT_EQ(ParseInt32("2147483647"), 2147483647);
  for (const char* bad : {"", " 1", "1 ", "1x", "0x10", "2147483648", "+-1", "-"}) {
    EXPECT_FALSE(ParseInt32(bad).has_value()) << bad;
  }
}

}  // namespace
}  // namespace sw
