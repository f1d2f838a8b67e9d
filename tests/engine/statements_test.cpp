#include "engine/statements.hpp"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/error.hpp"

namespace cvn {
namespace {

const std::u16string kFileHead =
    u"insert into file_compare_results(sessionid, filename, newlines, deletedlines, samelines, "
    u"commentlinesinold, changedlines, totallinesinold, totallinesinnew, commentlinesinnew, "
    u"blanklinesinold, blanklinesinnew";
const std::u16string kSplitColumns =
    u",samelines_comments,samelines_code,changedlines_comments,changedlines_code,"
    u"deletedlines_comments,deletedlines_code,newlines_comments,newlines_code";

// Values 1..19 in interface order, the name in position i.
std::vector<Variant> fileValues(Variant name) {
  std::vector<Variant> values;
  for (int32_t k = 1; k <= 19; ++k) values.emplace_back(k);
  values[8] = std::move(name);
  return values;
}

template <size_t N>
std::array<Variant*, N> pointers(std::vector<Variant>& values) {
  std::array<Variant*, N> result{};
  for (size_t k = 0; k < N; ++k) result[k] = &values[k];
  return result;
}

int32_t errorOf(auto&& call) {
  try {
    call();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

TEST(Statements, CurrentFileStatementOrdersItsColumns) {
  std::u16string sql;
  auto values = fileValues(Variant(u"src/a.c"));
  insertFileCompareResults(sql, 42, pointers<19>(values));
  // Values part: d c a e b g h f k l a1 a2 b1 b2 c1 c2 d1 d2.
  EXPECT_EQ(sql, kFileHead + kSplitColumns +
                     u") values (42,'src/a.c',4,3,1,5,2,7,8,6,10,11,12,13,14,15,16,17,18,19)|||");
}

TEST(Statements, LegacyFileStatement) {
  std::u16string sql = u"prior|||";
  auto values = fileValues(Variant(u"b.c"));
  insertLegacyFileCompareResults(sql, -3, pointers<11>(values));
  EXPECT_EQ(sql, u"prior|||" + kFileHead + u") values (-3,'b.c',4,3,1,5,2,7,8,6,10,11)|||");
}

TEST(Statements, DirectoryStatementWithNegativeNewFiles) {
  std::u16string sql;
  std::vector<Variant> values = {Variant(int32_t{2}), Variant(int32_t{0}), Variant(int32_t{-1}),
                                 Variant(u"/old/"), Variant(u"/new/")};
  insertDirCompareResults(sql, 7, pointers<5>(values));
  EXPECT_EQ(sql,
            u"insert into dir_compare_results(sessionid, samefiles, deletedfiles, newfiles, "
            u"oldpath, newpath) values (7,2,0,-1,'/old/','/new/')|||");
}

TEST(Statements, QuotesAreDoubledAndWrittenBack) {
  std::u16string sql;
  auto values = fileValues(Variant(u"it's 'x'"));
  insertLegacyFileCompareResults(sql, 1, pointers<11>(values));
  EXPECT_NE(sql.find(u",'it''s ''x''',"), std::u16string::npos);
  EXPECT_EQ(values[8], Variant(u"it''s ''x''"));
  // A second call escapes the escaped text again.
  insertLegacyFileCompareResults(sql, 1, pointers<11>(values));
  EXPECT_NE(sql.find(u",'it''''s ''''x''''',"), std::u16string::npos);
}

TEST(Statements, TextValuesAreConvertedToStrings) {
  std::u16string sql;
  auto values = fileValues(Variant(int32_t{12}));
  insertLegacyFileCompareResults(sql, 1, pointers<11>(values));
  EXPECT_NE(sql.find(u",'12',"), std::u16string::npos);
  EXPECT_EQ(values[8], Variant(u"12"));

  auto empty = fileValues(Variant());
  insertLegacyFileCompareResults(sql, 1, pointers<11>(empty));
  EXPECT_NE(sql.find(u",'',"), std::u16string::npos);
}

TEST(Statements, NullInATextPositionIsATypeMismatch) {
  std::u16string sql;
  auto file = fileValues(Variant::null());
  EXPECT_EQ(errorOf([&] { insertFileCompareResults(sql, 1, pointers<19>(file)); }), kTypeMismatch);
  EXPECT_EQ(errorOf([&] { insertLegacyFileCompareResults(sql, 1, pointers<11>(file)); }),
            kTypeMismatch);
  std::vector<Variant> dir = {Variant(), Variant(), Variant(), Variant(u"o"), Variant::null()};
  EXPECT_EQ(errorOf([&] { insertDirCompareResults(sql, 1, pointers<5>(dir)); }), kTypeMismatch);
  EXPECT_EQ(sql, u"");
}

TEST(Statements, NumericPositionsTakeWholeNumbers) {
  struct Case {
    Variant value;
    std::u16string text;
  };
  const std::vector<Case> cases = {
      {Variant(int16_t{-5}), u"-5"},
      {Variant(), u"0"},
      {Variant(3.0), u"3"},
      {Variant(-0.0), u"0"},
      {Variant(1e20), u"100000000000000000000"},
      {Variant(u"  +007\t"), u"7"},
      {Variant(u"-0"), u"0"},
      {Variant(u"\t-120 "), u"-120"},
      {Variant(u"99999999999999999999"), u"99999999999999999999"},
  };
  for (const Case& c : cases) {
    std::u16string sql;
    std::vector<Variant> values = {c.value, Variant(int32_t{0}), Variant(int32_t{0}), Variant(u"o"),
                                   Variant(u"n")};
    insertDirCompareResults(sql, 1, pointers<5>(values));
    EXPECT_NE(sql.find(u"values (1," + c.text + u",0,0,'o','n')|||"), std::u16string::npos)
        << std::string(c.text.begin(), c.text.end());
  }
}

TEST(Statements, RefusedNumbersLeaveTheListUnchanged) {
  const std::vector<Variant> refused = {Variant(2.5),    Variant::boolean(true), Variant(u"12abc"),
                                        Variant(u"1.0"), Variant(u""),           Variant(u"- 1"),
                                        Variant::null()};
  for (const Variant& bad : refused) {
    std::u16string sql = u"kept|||";
    std::vector<Variant> values = {Variant(int32_t{1}), bad, Variant(int32_t{0}), Variant(u"it's"),
                                   Variant(u"n")};
    EXPECT_EQ(errorOf([&] { insertDirCompareResults(sql, 1, pointers<5>(values)); }),
              kTypeMismatch);
    EXPECT_EQ(sql, u"kept|||");
    // The text values were escaped before the numbers were checked.
    EXPECT_EQ(values[3], Variant(u"it''s"));
  }
}

TEST(Statements, TextHoldingTheSeparatorIsRefused) {
  std::u16string sql = u"kept|||";
  std::vector<Variant> values = {Variant(int32_t{1}), Variant(int32_t{0}), Variant(int32_t{0}),
                                 Variant(u"o'ld"), Variant(u"x|||'); drop table t; --")};
  EXPECT_EQ(errorOf([&] { insertDirCompareResults(sql, 1, pointers<5>(values)); }),
            kInvalidArgument);
  EXPECT_EQ(sql, u"kept|||");
  EXPECT_EQ(values[3], Variant(u"o''ld"));  // escaped before the refusal
  EXPECT_EQ(values[4], Variant(u"x|||'); drop table t; --"));

  auto file = fileValues(Variant(u"a|||b"));
  EXPECT_EQ(errorOf([&] { insertFileCompareResults(sql, 1, pointers<19>(file)); }),
            kInvalidArgument);
  EXPECT_EQ(sql, u"kept|||");
  // Two bars are no separator.
  auto twoBars = fileValues(Variant(u"a||b"));
  insertFileCompareResults(sql, 1, pointers<19>(twoBars));
  EXPECT_NE(sql.find(u"'a||b'"), std::u16string::npos);
}

TEST(Statements, SuccessiveCallsAppendBackToBack) {
  std::u16string sql;
  for (int k = 0; k < 3; ++k) {
    auto values = fileValues(Variant(u"f"));
    insertFileCompareResults(sql, 1, pointers<19>(values));
  }
  const std::u16string one = sql.substr(0, sql.size() / 3);
  EXPECT_EQ(sql, one + one + one);
  EXPECT_TRUE(one.ends_with(u")|||"));
}

}  // namespace
}  // namespace cvn
