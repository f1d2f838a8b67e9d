#include "component/corvane_old.hpp"

#include <gtest/gtest.h>

#include "component/corvane.hpp"
#include "support/error_number.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

using test::TempDir;

class CorvaneOldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("old/same.c", "/* c\n\n*/\nint a;\n");
    dir.write("old/gone.c", "x;\n");
    dir.write("new/same.c", "int a;\nint b;\n");
    dir.write("new/added.c", "y;\n");
    oldRoot = dir.u16("old");
    newRoot = dir.u16("new");
    oldList = dir.u16("old/gone.c") + u"||" + dir.u16("old/same.c");
    newList = dir.u16("new/added.c") + u"||" + dir.u16("new/same.c");
  }

  std::u16string run(Corvane_old& c, const std::u16string& type) {
    return c.compareFileList(oldRoot, newRoot, oldList, newList, u"//", 2, 0, 4, u"/*", u"*/",
                             type);
  }

  static size_t statements(const std::u16string& sql) {
    size_t count = 0;
    for (size_t at = sql.find(u"|||"); at != std::u16string::npos; at = sql.find(u"|||", at + 3)) {
      ++count;
    }
    return count;
  }

  TempDir dir;
  std::u16string oldRoot, newRoot, oldList, newList;
};

TEST_F(CorvaneOldTest, TypeTwoComparesMatchedPairsOnly) {
  Corvane_old c;
  const std::u16string sql = run(c, u"2");
  EXPECT_EQ(statements(sql), 2u);
  // same.c: 1 same, 0 changed (threshold 2: "int b;" is 2 from "int a;", which pairs again).
  EXPECT_NE(sql.find(u"values (4,'same.c',0,3,1,3,1,1,2,0,0,0)|||"), std::u16string::npos)
      << test::u8(sql);
  EXPECT_TRUE(sql.ends_with(u",1,1,1,'" + oldRoot + u"/','" + newRoot + u"/')|||"));
}

TEST_F(CorvaneOldTest, TypeOneCountsMatchedOldFiles) {
  Corvane_old c;
  const std::u16string sql = run(c, u"1");
  EXPECT_EQ(statements(sql), 2u);
  EXPECT_NE(sql.find(u"values (4,'same.c',0,0,4,3,0,1,0,0,0,0)|||"), std::u16string::npos)
      << test::u8(sql);
  EXPECT_EQ(c.state().blankInMultiComm, 1);
}

TEST_F(CorvaneOldTest, OtherTypesOnlyCount) {
  Corvane_old c;
  const std::u16string sql = run(c, u"x");
  EXPECT_EQ(statements(sql), 1u);
  EXPECT_TRUE(sql.starts_with(u"insert into dir_compare_results"));
}

TEST_F(CorvaneOldTest, FailureKeepsEarlierStatements) {
  Corvane_old c;
  oldList = dir.u16("old/same.c") + u"||" + dir.u16("old/gone.c");
  newList = dir.u16("new/same.c") + u"||" + dir.u16("new/gone.c");  // listed, not on disk
  EXPECT_EQ(test::errorNumberOf([&] { run(c, u"2"); }), kFileNotFound);
  EXPECT_EQ(statements(c.state().strSQL), 1u);
  EXPECT_EQ(c.state().sessionID, 4);
}

TEST(CorvaneOld, CalBlankLinesDiffersBetweenTheClasses) {
  StringArray forOld = StringArray::fromVector({u" a ", u"\t"});
  StringArray forCurrent = forOld;
  Corvane_old old;
  Corvane current;
  EXPECT_EQ(old.calBlankLines(forOld), 1);
  EXPECT_EQ(current.calBlankLines(forCurrent), 1);
  EXPECT_EQ(forOld, StringArray::fromVector({u"a", u""}));
  EXPECT_EQ(forCurrent, StringArray::fromVector({u" a ", u"\t"}));
}

TEST(CorvaneOld, SharedMethodsBehaveAlike) {
  TempDir dir;
  dir.write("t/a.c", "");
  Corvane_old old;
  Corvane current;
  EXPECT_EQ(old.getFileList(dir.u16("t")), current.getFileList(dir.u16("t")));
  EXPECT_EQ(old.state().strFolderList, current.state().strFolderList);
  EXPECT_EQ(old.matchFiles(u"/a", u"/b", u"/a/x", u"/b/x"), 1);
  EXPECT_EQ(old.checkFileExists(dir.u16("t/a.c")), 1);
  EXPECT_EQ(old.checkDirExists(dir.u16("t/a.c")), 0);
}

}  // namespace
}  // namespace cvn
