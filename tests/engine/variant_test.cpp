#include "engine/variant.hpp"

#include <gtest/gtest.h>

#include "platform/error.hpp"

namespace cvn {
namespace {

int32_t errorOf(auto&& call) {
  try {
    call();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

TEST(Variant, NumericCoercions) {
  EXPECT_EQ(Variant(u" 42 ").toInt32(), 42);
  EXPECT_EQ(Variant(u"-7").toInt16(), -7);
  EXPECT_EQ(Variant(2.5).toInt32(), 2);  // half to even
  EXPECT_EQ(Variant(3.5).toInt32(), 4);
  EXPECT_EQ(Variant().toInt32(), 0);
  EXPECT_EQ(Variant::boolean(true).toInt16(), -1);
  EXPECT_EQ(Variant(int32_t{32767}).toInt16(), 32767);
  EXPECT_EQ(errorOf([] { Variant(int32_t{32768}).toInt16(); }), kOverflow);
  EXPECT_EQ(errorOf([] { Variant(u"3e10").toInt32(); }), kOverflow);
  EXPECT_EQ(errorOf([] { Variant(u"abc").toInt32(); }), kTypeMismatch);
  EXPECT_EQ(errorOf([] { Variant(u"").toInt32(); }), kTypeMismatch);
  EXPECT_EQ(errorOf([] { Variant::null().toInt32(); }), kInvalidUseOfNull);
}

TEST(Variant, TextThatIsNoFiniteDecimalNumberIsATypeMismatch) {
  for (const char16_t* text : {u"nan", u"-NaN", u"inf", u"+INF", u" -Infinity ", u"+-5"}) {
    EXPECT_EQ(errorOf([&] { Variant(text).toDouble(); }), kTypeMismatch);
    EXPECT_EQ(errorOf([&] { Variant(text).toInt16(); }), kTypeMismatch);
  }
}

TEST(Variant, TextCoercions) {
  EXPECT_EQ(Variant(int16_t{-3}).toText(), u"-3");
  EXPECT_EQ(Variant().toText(), u"");
  EXPECT_EQ(Variant(0.5).toText(), u"0.5");
  EXPECT_EQ(Variant::boolean(false).toText(), u"False");
  EXPECT_EQ(errorOf([] { Variant::null().toText(); }), kInvalidUseOfNull);
}

}  // namespace
}  // namespace cvn
