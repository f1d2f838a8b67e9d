#include "engine/changed_line.hpp"

#include <gtest/gtest.h>

#include <string>

namespace cvn {
namespace {

struct DistanceCase {
  std::u16string one;
  std::u16string two;
  int distance;
};

class ChangedLineDistance : public ::testing::TestWithParam<DistanceCase> {};

// Both forms accept exactly at the distance and refuse one below it.
TEST_P(ChangedLineDistance, ThresholdEdge) {
  const DistanceCase& c = GetParam();
  const auto at = static_cast<int16_t>(c.distance);
  const auto below = static_cast<int16_t>(c.distance - 1);
  EXPECT_EQ(determineChangedLine(c.one, c.two, at), -1);
  EXPECT_EQ(determineChangedLine(c.one, c.two, below), 0);
  EXPECT_EQ(determineChangedLine_old(c.one, c.two, at), 1);
  EXPECT_EQ(determineChangedLine_old(c.one, c.two, below), 0);
  // The measure is symmetric.
  EXPECT_EQ(determineChangedLine(c.two, c.one, at), -1);
  EXPECT_EQ(determineChangedLine(c.two, c.one, below), 0);
}

INSTANTIATE_TEST_SUITE_P(Examples, ChangedLineDistance,
                         ::testing::Values(DistanceCase{u"same line", u"same line", 0},
                                           DistanceCase{u"", u"", 0},
                                           DistanceCase{u"abc", u"cba", 0},
                                           DistanceCase{u"abc", u"abd", 2},
                                           DistanceCase{u"abc", u"", 3},
                                           DistanceCase{u"Abc", u"abc", 2},
                                           DistanceCase{u"x = 1;", u" x = 1;", 1},
                                           DistanceCase{u"x = 1;", u"x =\t1;", 2},
                                           DistanceCase{u"aaaa", u"a", 3}));

TEST(ChangedLine, NegativeThresholdRefusesEverything) {
  EXPECT_EQ(determineChangedLine(u"x", u"x", -1), 0);
  EXPECT_EQ(determineChangedLine_old(u"x", u"x", -1), 0);
  EXPECT_EQ(determineChangedLine(u"", u"", -32768), 0);
}

TEST(ChangedLine, LargestThresholdAcceptsLinesUpToItsLength) {
  const std::u16string a(20000, u'a');
  const std::u16string b(12767, u'b');
  EXPECT_EQ(determineChangedLine(a, b, 32767), -1);
  EXPECT_EQ(determineChangedLine_old(a, b, 32767), 1);
  EXPECT_EQ(determineChangedLine(a + u"c", b, 32767), 0);
}

// Characters that share a code in the code page are the same for the current
// test and different for the earlier one.
TEST(ChangedLine, CodePageCollisions) {
  // U+0100 and U+0101 have no Windows-1252 code: both become "?".
  EXPECT_EQ(determineChangedLine(u"\u0100", u"\u0101", 0), -1);
  EXPECT_EQ(determineChangedLine(u"\u0100", u"?", 0), -1);
  EXPECT_EQ(determineChangedLine_old(u"\u0100", u"\u0101", 0), 0);
  EXPECT_EQ(determineChangedLine_old(u"\u0100", u"\u0101", 2), 1);
  // The euro sign has a code of its own (0x80) and differs from "?".
  EXPECT_EQ(determineChangedLine(u"\u20AC", u"?", 1), 0);
}

}  // namespace
}  // namespace cvn
