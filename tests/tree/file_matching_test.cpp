#include "tree/file_matching.hpp"

#include <gtest/gtest.h>

namespace cvn {
namespace {

struct MatchCase {
  std::u16string rootOne, rootTwo, fileOne, fileTwo;
  int16_t expected;
};

TEST(MatchFiles, RelativePathsCompareExactly) {
  const std::vector<MatchCase> cases = {
      {u"/old", u"/new/", u"/old/a/b.c", u"/new/a/b.c", 1},
      {u"/old", u"/new/", u"/old/a/b.c", u"/new/A/b.c", 0},
      // Only the root's length matters.
      {u"/old", u"/new", u"/zzz/a/b.c", u"/new/a/b.c", 1},
      // A root ending in either separator gets nothing appended.
      {u"C:\\old\\", u"/new/", u"C:\\old\\a.c", u"/new/a.c", 1},
      {u"/old//", u"/new/", u"/old//a.c", u"/new/a.c", 1},
      {u"/old", u"/new", u"/old", u"/n", 1},
      {u"", u"", u"/a.c", u"xa.c", 1},
      {u"/old", u"/new", u"/old/a.c", u"/new/a.cpp", 0},
  };
  for (const MatchCase& c : cases) {
    EXPECT_EQ(matchFiles(c.rootOne, c.rootTwo, c.fileOne, c.fileTwo), c.expected)
        << std::string(c.fileOne.begin(), c.fileOne.end());
  }
}

}  // namespace
}  // namespace cvn
