#include "core/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/unicode.h"

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

// The order by its definition: both texts decoded in full (a byte that is no character counts
// as U+FFFD), each character upper-cased, then compared character by character.
int OrderByCharacters(std::string_view a, std::string_view b) {
  const auto decode = [](std::string_view text) {
    std::vector<char32_t> characters;
    for (std::size_t at = 0; at < text.size();) {
      characters.push_back(ToUpperChar(DecodeUtf8(text, at).value_or(0xFFFD)));
    }
    return characters;
  };
  const std::vector<char32_t> left = decode(a);
  const std::vector<char32_t> right = decode(b);
  return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end())   ? -1
         : std::lexicographical_compare(right.begin(), right.end(), left.begin(), left.end()) ? 1
                                                                                               : 0;
}

// Texts that share long beginnings and part from each other anywhere, in the middle of a
// character too, with letters of both cases, characters of two to four bytes, stray lead and
// continuation bytes, and texts cut short: the comparison orders every pair as the definition
// does.
TEST(Text, OrdersTextsWithSharedBeginningsByTheirCharacters) {
  const std::vector<std::string> pieces{"a", "A", "z", "_", "\\", "\xC3\xA4", "\xC3\x84", "\xC5\x81", "\xC5\x82",
                                        "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xC3", "\x84", "\xE2\x82", "\xFF"};
  std::mt19937 random(20261210);
  const auto piece = [&] { return pieces[random() % pieces.size()]; };
  for (int n = 0; n < 20000; ++n) {
    std::string shared = "C:\\Users\\";
    for (int k = static_cast<int>(random() % 12); k > 0; --k) {
      shared += piece();
    }
    std::string a = shared;
    std::string b = shared;
    for (int k = static_cast<int>(random() % 4); k > 0; --k) {
      a += piece();
    }
    for (int k = static_cast<int>(random() % 4); k > 0; --k) {
      b += piece();
    }
    if (random() % 4 == 0 && !b.empty()) {
      b.pop_back();  // may leave a character cut in two
    }
    ASSERT_EQ(CompareNoCase(a, b), OrderByCharacters(a, b)) << testing::PrintToString(a) << " " << testing::PrintToString(b);
    ASSERT_EQ(CompareNoCase(b, a), OrderByCharacters(b, a)) << testing::PrintToString(b) << " " << testing::PrintToString(a);
  }
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
