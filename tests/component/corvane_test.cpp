#include "component/corvane.hpp"

#include <gtest/gtest.h>

#include "component/corvane_old.hpp"
#include "platform/error.hpp"

namespace cvn {

// The one seam into the private line tests.
class CorvaneTestAccess {
 public:
  static int16_t isCommentLine(Corvane& c, const std::u16string& line, int16_t& state) {
    return c.isCommentLine(line, state);
  }
  static int32_t isBlankLine(Corvane& c, const std::u16string& line) { return c.isBlankLine(line); }
  static int32_t calCommentLines(Corvane& c, const StringArray& lines) {
    return c.calCommentLines(lines);
  }
};

namespace {

TEST(Corvane, FreshObjectsStartEmpty) {
  Corvane c;
  const ComparerSettings s = c.settings();
  EXPECT_EQ(s.sessionID, 0);
  EXPECT_EQ(s.diffThershold, 0);
  EXPECT_TRUE(s.commentChar.empty() && s.multiBegComm.empty() && s.multiEndComm.empty());
  EXPECT_TRUE(c.statementList().empty());
  Corvane_old old;
  EXPECT_TRUE(old.statementList().empty());
}

TEST(Corvane, PrivateLineTestsReadTheObjectsMarkers) {
  Corvane c;
  int16_t state = 0;
  EXPECT_EQ(CorvaneTestAccess::isCommentLine(c, u"// x", state), 0);  // no markers yet
  c.setSettings({1, u"//", u"/*", u"*/", 3, 0});
  EXPECT_EQ(CorvaneTestAccess::isCommentLine(c, u"// x", state), -1);
  EXPECT_EQ(CorvaneTestAccess::isCommentLine(c, u"x /* y", state), 0);
  EXPECT_EQ(state, -1);
  state = 5;  // any non-zero value is true on input
  EXPECT_EQ(CorvaneTestAccess::isCommentLine(c, u"done */", state), -1);
  EXPECT_EQ(state, 0);
  EXPECT_EQ(CorvaneTestAccess::isBlankLine(c, u" \t"), 1);
  EXPECT_EQ(CorvaneTestAccess::isBlankLine(c, u"x"), 0);
  EXPECT_EQ(CorvaneTestAccess::calCommentLines(
                c, StringArray::fromVector({u"/*", u"", u"*/", u"x // y", u"// z"})),
            4);
}

TEST(Corvane, CalBlankLinesLeavesTheArray) {
  Corvane c;
  StringArray lines = StringArray::fromVector({u"a", u"\t\t", u"  ", u""});
  const StringArray before = lines;
  EXPECT_EQ(c.calBlankLines(lines), 3);
  EXPECT_EQ(lines, before);
}

TEST(Corvane, BuildersUseTheObjectsSessionAndList) {
  Corvane c;
  c.setSettings({9, u"", u"", u"", 0, 0});
  Variant a(int32_t{1}), b(int32_t{2}), cc(int32_t{3}), d(u"/o/"), e(u"/n'/");
  c.insertDirCompareResults(a, b, cc, d, e);
  EXPECT_EQ(c.statementList(),
            u"insert into dir_compare_results(sessionid, samefiles, deletedfiles, newfiles, "
            u"oldpath, newpath) values (9,1,2,3,'/o/','/n''/')|||");
  EXPECT_EQ(e, Variant(u"/n''/"));

  Corvane_old old;  // objects share nothing
  EXPECT_TRUE(old.statementList().empty());
  std::vector<Variant> v(11, Variant(int16_t{0}));
  v[8] = Variant(u"x");
  old.insertFileCompareResults(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]);
  EXPECT_TRUE(old.statementList().ends_with(u"values (0,'x',0,0,0,0,0,0,0,0,0,0)|||"));
}

TEST(Corvane, ChangedLineForms) {
  Corvane c;
  Corvane_old old;
  EXPECT_EQ(c.determineChangedLine(u"abc", u"abd", 2), -1);
  EXPECT_EQ(c.determineChangedLine_old(u"abc", u"abd", 2), 1);
  EXPECT_EQ(old.determineChangedLine(u"abc", u"abd", 2), 1);
  EXPECT_EQ(old.determineChangedLine(u"abc", u"abd", 1), 0);
}

}  // namespace
}  // namespace cvn
