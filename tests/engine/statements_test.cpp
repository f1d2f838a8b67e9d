#include "engine/statements.hpp"

#include <gtest/gtest.h>

#include "support/error_number.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

using test::errorNumberOf;

// A builder called with values 1, 2, ... in interface order, text in the name (or path)
// positions, and the given changes. run() gives the appended statement from its values on, or
// "error N" and the list, which must be as it was.
struct Call {
  std::vector<Variant> values;
  std::u16string sql = u"kept|||";
  explicit Call(size_t count, const std::vector<std::pair<size_t, Variant>>& set = {}) {
    for (int32_t k = 1; k <= static_cast<int32_t>(count); ++k) values.emplace_back(k);
    if (count == 5) values[3] = Variant(u"/old/"), values[4] = Variant(u"/new/");
    if (count != 5) values[8] = Variant(u"a.c");
    for (const auto& [k, value] : set) values[k] = value;
  }
  std::u16string run(int32_t session = 7) {
    using P = Variant* const;
    std::vector<Variant*> p;
    for (Variant& v : values) p.push_back(&v);
    const size_t before = sql.size();
    const int32_t error = errorNumberOf([&] {
      if (p.size() == 19) insertFileCompareResults(sql, session, std::span<P, 19>(p));
      if (p.size() == 11) insertLegacyFileCompareResults(sql, session, std::span<P, 11>(p));
      if (p.size() == 5) insertDirCompareResults(sql, session, std::span<P, 5>(p));
    });
    if (error != 0) return u"error " + test::u16(std::to_string(error)) + u" " + sql;
    return sql.substr(sql.find(u") values (", before) + 10);
  }
};

TEST(Statements, ValuesInTheirColumnsOrder) {
  EXPECT_EQ(Call(19).run(42), u"42,'a.c',4,3,1,5,2,7,8,6,10,11,12,13,14,15,16,17,18,19)|||");
  EXPECT_EQ(Call(11).run(-3), u"-3,'a.c',4,3,1,5,2,7,8,6,10,11)|||");
  EXPECT_EQ(Call(5, {{2, Variant(-1)}}).run(), u"7,1,2,-1,'/old/','/new/')|||");
  // Each call appends one whole statement.
  Call twice(11);
  twice.run();
  const std::u16string once = twice.sql;
  twice.run();
  EXPECT_TRUE(once.starts_with(u"kept|||insert into "));
  EXPECT_EQ(twice.sql, once + once.substr(7));
}

TEST(Statements, QuotesAreDoubledAndWrittenBack) {
  Call call(11, {{8, Variant(u"it's 'x'")}});
  EXPECT_EQ(call.run(), u"7,'it''s ''x''',4,3,1,5,2,7,8,6,10,11)|||");
  EXPECT_EQ(call.values[8], Variant(u"it''s ''x''"));
  Call number(11, {{8, Variant(12)}});
  EXPECT_EQ(number.run(), u"7,'12',4,3,1,5,2,7,8,6,10,11)|||");
  EXPECT_EQ(number.values[8], Variant(u"12"));
}

// A refused value leaves the list as it was; text values before it are already escaped.
TEST(Statements, RefusedValues) {
  Call bars(5, {{3, Variant(u"o'ld")}, {4, Variant(u"x|||'); drop table t; --")}});
  EXPECT_EQ(bars.run(), u"error 5 kept|||");
  EXPECT_EQ(bars.values[3], Variant(u"o''ld"));
  EXPECT_EQ(bars.values[4], Variant(u"x|||'); drop table t; --"));
  EXPECT_EQ(Call(11, {{8, Variant(u"a||b")}}).run(), u"7,'a||b',4,3,1,5,2,7,8,6,10,11)|||");
  EXPECT_EQ(Call(19, {{8, Variant::null()}}).run(), u"error 13 kept|||");
  for (const Variant& bad : {Variant(2.5), Variant::boolean(true), Variant(u"12abc"),
                             Variant(u"1.0"), Variant(u""), Variant(u"- 1"), Variant::null()}) {
    EXPECT_EQ(Call(5, {{1, bad}}).run(), u"error 13 kept|||") << static_cast<int>(bad.type());
  }
}

TEST(Statements, WholeNumbersInNumericPositions) {
  const std::u16string big = u"99999999999999999999", e20 = u"1" + std::u16string(20, u'0');
  const std::vector<std::pair<Variant, std::u16string>> cases = {
      {int16_t{-5}, u"-5"}, {Variant(), u"0"},  {3.0, u"3"},
      {-0.0, u"0"},         {u"-0", u"0"},      {1e20, e20},
      {big, big},           {u" +007\t", u"7"}, {u"\t-120 ", u"-120"}};
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(Call(5, {{0, value}}).run(), u"7," + text + u",2,3,'/old/','/new/')|||")
        << test::u8(text);
  }
}

// The values' own conversions, as automation callers expect them.
TEST(Variant, Conversions) {
  EXPECT_EQ(Variant(u" 42 ").toInt32(), 42);
  EXPECT_EQ(std::tuple(Variant(2.5).toInt32(), Variant(3.5).toInt32(), Variant().toInt32()),
            std::tuple(2, 4, 0));  // half to even
  EXPECT_EQ(Variant::boolean(true).toInt16(), -1);
  EXPECT_EQ(Variant(u"-32768").toInt16(), -32768);
  EXPECT_EQ(errorNumberOf([] { Variant(32768).toInt16(); }), kOverflow);
  EXPECT_EQ(errorNumberOf([] { Variant(u"3e10").toInt32(); }), kOverflow);
  EXPECT_EQ(errorNumberOf([] { Variant::null().toInt32(); }), kInvalidUseOfNull);
  EXPECT_EQ(errorNumberOf([] { Variant::null().toText(); }), kInvalidUseOfNull);
  for (const char16_t* text :
       {u"abc", u"", u"12x", u"nan", u"-NaN", u"inf", u" -Infinity ", u"+-5"}) {
    EXPECT_EQ(errorNumberOf([&] { Variant(text).toDouble(); }), kTypeMismatch);
  }
  EXPECT_EQ(Variant(int16_t{-3}).toText() + Variant(0.5).toText(), u"-30.5");
  EXPECT_EQ(Variant::boolean(false).toText() + Variant().toText(), u"False");
}

}  // namespace
}  // namespace cvn
