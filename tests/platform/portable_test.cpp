#include <gtest/gtest.h>

#include "platform/checked.hpp"
#include "platform/codepage.hpp"
#include "platform/text_file.hpp"
#include "platform/whole_file.hpp"
#include "support/error_number.hpp"

namespace cvn {
namespace {

using test::errorNumberOf;

TEST(Codepage, OneToOne) {
  for (int byte = 0; byte < 256; ++byte)
    ASSERT_EQ(encodeCp1252(decodeCp1252(static_cast<unsigned char>(byte))), byte);
  EXPECT_EQ(decodeCp1252("A\x80\x81\x9F\xE9"), u"A\u20AC\u0081\u0178\u00E9");
  EXPECT_EQ(encodeCp1252Lossy(u"a\u20AC\u0080\u4E00"), "a\x80??");
  EXPECT_EQ(encodeCp1252Exact(u"\u4E00"), std::nullopt);
}

// Bytes that are no UTF-8 become U+DC80-U+DCFF and back; other lone surrogates have no bytes.
TEST(Utf, EveryByteStringSurvives) {
  const std::string valid =
      "a\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
  EXPECT_EQ(utf8ToUtf16(valid + "\xFF"), u"a\u0080\u07FF\u0800\uFFFF\U00010000\U0010FFFF\xDCFF");
  const std::string invalid = "\xC3(\xED\xA0\x80\xC0\xAF\xF4\x90\x80\x80\xE2\x82";
  for (const std::string& bytes : {valid, invalid}) {
    EXPECT_EQ(utf16ToUtf8Exact(utf8ToUtf16(bytes)), bytes);
  }
  EXPECT_TRUE(!utf16ToUtf8Exact(u"a\xD800") && hasUnmappableSurrogate(u"\xDC10") &&
              hasUnmappableSurrogate(u"\xDFFF"));
  EXPECT_EQ(utf16ToUtf8(u"a\xD800\U0001F600"), "a\xEF\xBF\xBD\xF0\x9F\x98\x80");
}

TEST(TextLines, LineEnds) {
  const std::string nul(1, '\0');
  const std::vector<std::pair<std::string, std::vector<std::string_view>>> cases = {
      {"", {}},       {"a", {"a"}},         {"a\n\n", {"a", ""}}, {"a\r\nb", {"a", "b"}},
      {"\r\n", {""}}, {"a\rb\n", {"a\rb"}}, {"a\r", {"a\r"}},     {"a\r\r\n", {"a\r"}},
      {nul, {nul}}};
  for (const auto& [text, lines] : cases) EXPECT_EQ(splitLines(text), lines) << text;
}

// A file that cannot fit in memory is refused by name before anything is allocated.
TEST(WholeFile, TooLarge) {
  std::string description;
  const auto none = [](char*, size_t) { return size_t{0}; };
  EXPECT_EQ(errorNumberOf([&] { readWholeFile(100, 100, u"big.c", none); }, &description),
            kOutOfMemory);
  EXPECT_EQ(description, "Out of memory: big.c");
}

TEST(Checked, SixteenAndThirtyTwoBits) {
  EXPECT_EQ(checkedAdd<int16_t>(32766, 1), 32767);
  EXPECT_EQ(errorNumberOf([] { checkedAdd<int16_t>(32767, 1); }), kOverflow);
  EXPECT_EQ(errorNumberOf([] { checkedSub<int32_t>(INT32_MIN, 1); }), kOverflow);
  EXPECT_EQ(errorNumberOf([] { checkedNarrow<int16_t>(int32_t{32768}); }), kOverflow);
}

}  // namespace
}  // namespace cvn
