#include "engine/changed_line.hpp"

#include <gtest/gtest.h>

#include <tuple>

namespace cvn {
namespace {

// Both forms, either way round, accept lines exactly at the threshold and refuse them one below.
TEST(ChangedLine, AcceptsUpToTheThreshold) {
  const std::u16string a(20000, u'a'), b(12767, u'b');
  const std::vector<std::tuple<std::u16string, std::u16string, int>> cases = {
      {u"line", u"line", 0}, {u"abc", u"cba", 0},  {u"abc", u"abd", 2},
      {u"abc", u"", 3},      {u"Abc", u"abc", 2},  {u"x = 1;", u"x =\t1;", 2},
      {u"aaaa", u"a", 3},    {u"\u20AC", u"?", 2}, {a, b, 32767}};
  for (const auto& [one, two, distance] : cases) {
    for (const auto& [x, y] : {std::pair(one, two), std::pair(two, one)}) {
      EXPECT_EQ(determineChangedLine(x, y, static_cast<int16_t>(distance)), -1) << distance;
      EXPECT_EQ(determineChangedLine(x, y, static_cast<int16_t>(distance - 1)), 0) << distance;
      EXPECT_EQ(determineChangedLine_old(x, y, static_cast<int16_t>(distance)), 1) << distance;
      EXPECT_EQ(determineChangedLine_old(x, y, static_cast<int16_t>(distance - 1)), 0) << distance;
    }
  }
}

// U+0100 and U+0101 have no Windows-1252 code: the current test sees two "?", the earlier
// one two different characters.
TEST(ChangedLine, CharactersSharingACode) {
  EXPECT_EQ(determineChangedLine(u"\u0100", u"\u0101", 0), -1);
  EXPECT_EQ(determineChangedLine(u"\u0100", u"?", 0), -1);
  EXPECT_EQ(determineChangedLine_old(u"\u0100", u"\u0101", 1), 0);
  EXPECT_EQ(determineChangedLine_old(u"\u0100", u"\u0101", 2), 1);
}

}  // namespace
}  // namespace cvn
