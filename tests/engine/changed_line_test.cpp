#include "engine/changed_line.hpp"

#include <gtest/gtest.h>

#include <tuple>

namespace cvn {
namespace {

// Both forms, either way round, accept lines exactly at their distance and refuse them one
// below: the current form's and the earlier one's, which differ where characters share a code
// (U+0100 and U+0101 have none, so the current form sees two "?").
TEST(ChangedLine, AcceptsUpToTheThreshold) {
  const std::u16string a(20000, u'a'), b(12767, u'b');
  const std::vector<std::tuple<std::u16string, std::u16string, int, int>> cases = {
      {u"line", u"line", 0, 0}, {u"abc", u"cba", 0, 0},  {u"abc", u"abd", 2, 2},
      {u"abc", u"", 3, 3},      {u"Abc", u"abc", 2, 2},  {u"x = 1;", u"x =\t1;", 2, 2},
      {u"aaaa", u"a", 3, 3},    {u"\u20AC", u"?", 2, 2}, {u"\u0100", u"\u0101", 0, 2},
      {u"\u0100", u"?", 0, 2},  {a, b, 32767, 32767}};
  for (const auto& [one, two, current, earlier] : cases) {
    for (const auto& [x, y] : {std::pair(one, two), std::pair(two, one)}) {
      EXPECT_EQ(determineChangedLine(x, y, static_cast<int16_t>(current)), -1) << current;
      EXPECT_EQ(determineChangedLine(x, y, static_cast<int16_t>(current - 1)), 0) << current;
      EXPECT_EQ(determineChangedLine_old(x, y, static_cast<int16_t>(earlier)), 1) << earlier;
      EXPECT_EQ(determineChangedLine_old(x, y, static_cast<int16_t>(earlier - 1)), 0) << earlier;
    }
  }
}

}  // namespace
}  // namespace cvn
