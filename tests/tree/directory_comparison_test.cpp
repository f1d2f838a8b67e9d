#include "tree/directory_comparison.hpp"

#include <gtest/gtest.h>

#include "support/error_number.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

// Runs the driver with per-file work that records each call.
class DriverTest : public ::testing::Test {
 protected:
  std::u16string run(const std::u16string& rootOne, const std::u16string& rootTwo,
                     const std::u16string& one, const std::u16string& two,
                     const std::u16string& type) {
    FileWork work;
    work.compareMatched = [&](const auto& root, const auto& a, const auto& b) {
      calls.push_back(u"compare " + root + u" " + a + u" " + b);
    };
    work.countMatched = [&](const auto& root, const auto& f) {
      calls.push_back(u"count0 " + root + u" " + f);
    };
    work.countDeleted = [&](const auto& root, const auto& f) {
      calls.push_back(u"count2 " + root + u" " + f);
    };
    work.countNew = [&](const auto& root, const auto& f) {
      calls.push_back(u"count1 " + root + u" " + f);
    };
    DirectoryComparisonArgs args{rootOne, rootTwo, one, two, u"//", 3, 0, 77, u"/*", u"*/", type};
    return compareFileList(state, args, work);
  }

  std::u16string dirStatement(int same, int deleted, int added, const std::u16string& oldRoot,
                              const std::u16string& newRoot) {
    auto n = [](int v) {
      auto s = std::to_string(v);
      return std::u16string(s.begin(), s.end());
    };
    return u"insert into dir_compare_results(sessionid, samefiles, deletedfiles, newfiles, "
           u"oldpath, newpath) values (77," +
           n(same) + u"," + n(deleted) + u"," + n(added) + u",'" + oldRoot + u"','" + newRoot +
           u"')|||";
  }

  std::vector<std::u16string> calls;
  ComparerState state{.strSQL = u"old|||"};
};

TEST_F(DriverTest, TypeTwoOrder) {
  const std::u16string result =
      run(u"/old", u"/new", u"/old/a.c||/old/b.c", u"/new/b.c||/new/c.c", u"2");
  EXPECT_EQ(calls, (std::vector<std::u16string>{u"count2 /old/ /old/a.c",
                                                u"compare /old/ /old/b.c /new/b.c",
                                                u"count1 /new/ /new/c.c"}));
  EXPECT_EQ(result, dirStatement(1, 1, 1, u"/old/", u"/new/"));
  EXPECT_EQ(state.sessionID, 77);
  EXPECT_EQ(state.commentChar, u"//");
  EXPECT_EQ(state.diffThershold, 3);
}

TEST_F(DriverTest, TypeOneAndOthers) {
  run(u"/old", u"/new", u"/old/a.c||/old/b.c", u"/new/b.c||/new/c.c", u"1");
  EXPECT_EQ(calls, std::vector<std::u16string>{u"count0 /old/ /old/b.c"});
  for (const char16_t* type : {u"3", u" 1", u"02", u""}) {
    calls.clear();
    const auto result = run(u"/old", u"/new", u"/old/a.c||/old/b.c", u"/new/b.c||/new/c.c", type);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(result, dirStatement(1, 1, 1, u"/old/", u"/new/"));
  }
}

TEST_F(DriverTest, DuplicatesEmptyEntriesAndCase) {
  // Both old entries pair with the one new entry: the first match in list order.
  auto result = run(u"/o", u"/n", u"/o/x.c||/o/x.c", u"/n/x.c", u"2");
  EXPECT_EQ(calls, (std::vector<std::u16string>{u"compare /o/ /o/x.c /n/x.c",
                                                u"compare /o/ /o/x.c /n/x.c"}));
  EXPECT_EQ(result, dirStatement(2, 0, -1, u"/o/", u"/n/"));

  calls.clear();
  result = run(u"/o", u"/n", u"/o/a.c||", u"/n/A.c||/n/a.c||/n/a.c", u"2");
  EXPECT_EQ(calls, (std::vector<std::u16string>{u"compare /o/ /o/a.c /n/a.c", u"count2 /o/ ",
                                                u"count1 /n/ /n/A.c"}));
  EXPECT_EQ(result, dirStatement(1, 1, 2, u"/o/", u"/n/"));

  calls.clear();
  EXPECT_EQ(run(u"/o", u"/n", u"", u"", u"2"), dirStatement(0, 0, 0, u"/o/", u"/n/"));
  EXPECT_TRUE(calls.empty());
}

TEST_F(DriverTest, RootsKeepTheirSeparator) {
  run(u"C:\\old\\*.java", u"/new/", u"C:\\old\\a.java", u"/new/a.java", u"2");
  EXPECT_EQ(calls, std::vector<std::u16string>{u"compare C:\\old\\ C:\\old\\a.java /new/a.java"});
}

TEST_F(DriverTest, BadRootsFailBeforeAnyFile) {
  EXPECT_EQ(test::errorNumberOf([&] { run(u"old", u"/new", u"old/a", u"/new/a", u"2"); }),
            kInvalidArgument);
  EXPECT_EQ(test::errorNumberOf(
                [&] { run(u"/" + std::u16string(40000, u'a'), u"/new", u"", u"", u"2"); }),
            kOverflow);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(state.strSQL, u"");  // cleared when the call started
}

TEST_F(DriverTest, ListsLongerThanSixteenBits) {
  std::u16string one, two;
  for (int k = 0; k < 40000; ++k) {
    const auto s = std::to_string(k);
    const std::u16string name(s.begin(), s.end());
    one += (k ? u"||/o/" : u"/o/") + name;
    two += (k ? u"||/n/" : u"/n/") + name;
  }
  EXPECT_EQ(run(u"/o", u"/n", one, two, u"3"), dirStatement(40000, 0, 0, u"/o/", u"/n/"));
}

TEST(SplitFileList, EveryPieceIsAnEntry) {
  EXPECT_TRUE(splitFileList(u"").empty());
  EXPECT_EQ(splitFileList(u"a||b"), (std::vector<std::u16string>{u"a", u"b"}));
  EXPECT_EQ(splitFileList(u"||a||||"), (std::vector<std::u16string>{u"", u"a", u"", u""}));
  EXPECT_EQ(splitFileList(u"a|||b"), (std::vector<std::u16string>{u"a", u"|b"}));
}

}  // namespace
}  // namespace cvn
