#include "platform/codepage.hpp"

#include <gtest/gtest.h>

namespace cvn {
namespace {

TEST(Codepage, EveryByteRoundTrips) {
  for (int byte = 0; byte < 256; ++byte) {
    const char16_t ch = decodeCp1252(static_cast<unsigned char>(byte));
    ASSERT_EQ(encodeCp1252(ch), static_cast<unsigned char>(byte)) << byte;
  }
}

TEST(Codepage, KnownMappings) {
  EXPECT_EQ(decodeCp1252(0x41), u'A');
  EXPECT_EQ(decodeCp1252(0x80), u'\u20AC');
  EXPECT_EQ(decodeCp1252(0x9F), u'\u0178');
  EXPECT_EQ(decodeCp1252(0xE9), u'\u00E9');
  for (unsigned char undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
    EXPECT_EQ(decodeCp1252(undefined), static_cast<char16_t>(undefined));
  }
  EXPECT_EQ(cp1252CodeOf(u'\u0100'), '?');
  EXPECT_EQ(encodeCp1252(u'\u0080'), std::nullopt);  // 0x80 is the euro sign
  EXPECT_EQ(encodeCp1252Lossy(u"a\u20AC\u4E00"), "a\x80?");
  EXPECT_EQ(encodeCp1252Exact(u"a\u4E00"), std::nullopt);
}

}  // namespace
}  // namespace cvn
