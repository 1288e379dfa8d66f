#include "core/unicode.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

TEST(Unicode, RoundTripsEveryPlaneThroughUtf16) {
  const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";  // a é € 😀 z
  const std::u16string utf16 = Utf8ToUtf16(text);
  EXPECT_EQ(utf16, (std::u16string{u'a', 0x00E9, 0x20AC, 0xD83D, 0xDE00, u'z'}));
  EXPECT_EQ(Utf16ToUtf8(utf16), text);
}

TEST(Unicode, KeepsZeroCharacters) {
  const std::string text("a\0b\0", 4);
  EXPECT_EQ(Utf8ToUtf16(text), std::u16string(u"a\0b\0", 4));
  EXPECT_EQ(Utf16ToUtf8(std::u16string(u"a\0b\0", 4)), text);
}

TEST(Unicode, ReplacesWhatIsNotUtf8InsteadOfFailing) {
  // A lone continuation byte, an overlong slash, an encoded surrogate, a truncated sequence.
  for (const std::string bad : {"\x80", "\xC0\xAF", "\xED\xA0\x80", "\xE2\x82"}) {
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
    const std::u16string out = Utf8ToUtf16("x" + bad + "y");
    ASSERT_GE(out.size(), 3U);
    EXPECT_EQ(out.front(), u'x');
    EXPECT_EQ(out.back(), u'y');
    EXPECT_NE(out.find(u'\xFFFD'), std::u16string::npos);
  }
  EXPECT_TRUE(IsValidUtf8("plain \xC3\xA9"));
}

TEST(Unicode, UnpairedSurrogatesBecomeReplacementCharacters) {
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', 0xD800, u'b'}),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDC00}), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace sw
