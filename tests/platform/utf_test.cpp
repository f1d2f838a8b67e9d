#include "platform/utf.hpp"

#include <gtest/gtest.h>

namespace cvn {
namespace {

TEST(Utf, ValidTextConverts) {
  EXPECT_EQ(utf8ToUtf16("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), u"a\u00E9\u20AC\U0001F600");
  EXPECT_EQ(utf16ToUtf8Exact(u"a\u00E9\u20AC\U0001F600"), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
}

TEST(Utf, InvalidBytesSurviveTheRoundTrip) {
  const std::string samples[] = {"\xFF", "a\x80z", "\xC3(", "\xED\xA0\x80", "\xC0\xAF",
                                 "\xF4\x90\x80\x80", "\xE2\x82"};
  for (const std::string& bytes : samples) {
    const std::u16string text = utf8ToUtf16(bytes);
    for (char16_t ch : text) {
      if (ch >= 0xD800 && ch <= 0xDFFF) {
        EXPECT_TRUE(ch >= 0xDC80 && ch <= 0xDCFF);
      }
    }
    EXPECT_EQ(utf16ToUtf8Exact(text), bytes);
  }
  EXPECT_EQ(utf8ToUtf16("\xFF"), u"\xDCFF");
}

TEST(Utf, OtherLoneSurrogatesHaveNoBytes) {
  EXPECT_EQ(utf16ToUtf8Exact(u"a\xD800"), std::nullopt);
  EXPECT_EQ(utf16ToUtf8Exact(u"\xDC10"), std::nullopt);
  EXPECT_TRUE(hasUnmappableSurrogate(u"\xDBFF x"));
  EXPECT_FALSE(hasUnmappableSurrogate(u"\xDC80"));
  EXPECT_EQ(utf16ToUtf8(u"a\xD800"), "a\xEF\xBF\xBD");
}

}  // namespace
}  // namespace cvn
