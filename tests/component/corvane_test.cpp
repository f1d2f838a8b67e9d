#include "component/corvane.hpp"

#include <gtest/gtest.h>

#include "component/corvane_old.hpp"
#include "platform/error.hpp"
#include "support/temp_dir.hpp"

namespace cvn {

namespace {

TEST(Corvane, FreshObjectsStartEmpty) {
  Corvane c;
  const ComparerState& s = c.state();
  EXPECT_EQ(s.sessionID, 0);
  EXPECT_EQ(s.diffThershold, 0);
  EXPECT_TRUE(s.commentChar.empty() && s.multiBegComm.empty() && s.multiEndComm.empty());
  EXPECT_TRUE(c.state().strSQL.empty());
  Corvane_old old;
  EXPECT_TRUE(old.state().strSQL.empty());
}

TEST(Corvane, LineTestsReadTheObjectsMarkers) {
  test::TempDir dir;
  dir.write("f.c", "/*\n\n*/\nx // y\n// z\n \t\n");
  Corvane c;
  EXPECT_EQ(c.countFile(dir.u16("f.c")), (PhysicalCounts{6, 0, 2, 4}));  // no markers yet
  c.state().commentChar = u"//";
  c.state().multiBegComm = u"/*";
  c.state().multiEndComm = u"*/";
  EXPECT_EQ(c.countFile(dir.u16("f.c")), (PhysicalCounts{6, 4, 1, 1}));
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
  c.state().sessionID = 9;
  Variant a(int32_t{1}), b(int32_t{2}), cc(int32_t{3}), d(u"/o/"), e(u"/n'/");
  c.insertDirCompareResults(a, b, cc, d, e);
  EXPECT_EQ(c.state().strSQL,
            u"insert into dir_compare_results(sessionid, samefiles, deletedfiles, newfiles, "
            u"oldpath, newpath) values (9,1,2,3,'/o/','/n''/')|||");
  EXPECT_EQ(e, Variant(u"/n''/"));

  Corvane_old old;  // objects share nothing
  EXPECT_TRUE(old.state().strSQL.empty());
  std::vector<Variant> v(11, Variant(int16_t{0}));
  v[8] = Variant(u"x");
  old.insertFileCompareResults(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]);
  EXPECT_TRUE(old.state().strSQL.ends_with(u"values (0,'x',0,0,0,0,0,0,0,0,0,0)|||"));
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
