#include "legacy/legacy_counters.hpp"

#include <gtest/gtest.h>

#include "support/error_number.hpp"

namespace cvn {
namespace {

struct CounterCase {
  std::string name;
  std::vector<std::string_view> lines;
  int32_t comments;
  int32_t blankInComments;
  int32_t blanks;
};

void PrintTo(const CounterCase& c, std::ostream* os) { *os << c.name; }

class LegacyCounters : public ::testing::TestWithParam<CounterCase> {};

TEST_P(LegacyCounters, CountsCommentAndBlankLines) {
  const CounterCase& c = GetParam();
  int32_t blankInComments = -1;
  EXPECT_EQ(legacyCommentLines(c.lines, byteMarkers(u"//", u"/*", u"*/"), blankInComments),
            c.comments);
  EXPECT_EQ(blankInComments, c.blankInComments);
  EXPECT_EQ(legacyBlankLines(c.lines), c.blanks);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LegacyCounters,
    ::testing::Values(
        CounterCase{"five-line comment with a blank line", {"/* a", "b", "", "c", "*/"}, 5, 1, 1},
        CounterCase{"single-line marker first", {"x; // see /* here", "y;"}, 1, 0, 0},
        CounterCase{"line comment and trailing comment", {"\t// c", "x; // c"}, 1, 0, 0},
        CounterCase{"code before the begin marker", {"x; /* a", "b", "c */"}, 2, 0, 0},
        CounterCase{"closing line with code after it", {"/* a", "b */ x;", "// c"}, 2, 0, 0},
        CounterCase{"opening and closing on one line", {"/* a */", "/* a */ x;", "x /* a */"},
                    1, 0, 0},
        CounterCase{"unclosed comment counts each line once", {"/* a", "// b", "", "c"}, 4, 1,
                    1},
        CounterCase{"begin marker after single-line marker at 1", {"//* x", "y"}, 1, 0, 0},
        CounterCase{"blank lines outside comments", {"", "  ", "x", "\t"}, 0, 0, 3}));

TEST(LegacyCountersMarkers, EmptyEndMarkerExaminesNoContinuation) {
  const std::vector<std::string_view> lines = {"/* a", "b", "/*", "x /* y"};
  int32_t blank = 0;
  EXPECT_EQ(legacyCommentLines(lines, byteMarkers(u"//", u"/*", u""), blank), 2);
  EXPECT_EQ(legacyCommentLines(lines, byteMarkers(u"", u"", u""), blank), 0);
  EXPECT_EQ(legacyCommentLines(lines, byteMarkers(u"b", u"", u""), blank), 1);
}

TEST(LegacyCalBlankLines, NormalisesTheCallersArray) {
  StringArray lines = StringArray::fromVector({u"a", u"\t\t", u"  ", u"", u" \tx y\t "});
  EXPECT_EQ(legacyCalBlankLines(lines), 3);
  EXPECT_EQ(lines, StringArray::fromVector({u"a", u"", u"", u"", u"x y"}));
  StringArray belowZero(-1, -1);
  EXPECT_EQ(legacyCalBlankLines(belowZero), 0);
  StringArray noBounds;
  EXPECT_EQ(test::errorNumberOf([&] { legacyCalBlankLines(noBounds); }), kSubscriptOutOfRange);
}

}  // namespace
}  // namespace cvn
