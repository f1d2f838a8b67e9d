#include <gtest/gtest.h>

#include <filesystem>

#include "file_bytes.hpp"
#include "run_cvn.hpp"
#include "sqlite_rows.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

using Row = std::vector<std::string>;
namespace fs = std::filesystem;

const std::string kFileColumns =
    "sessionid, filename, newlines, deletedlines, samelines, commentlinesinold, changedlines, "
    "totallinesinold, totallinesinnew, commentlinesinnew, blanklinesinold, blanklinesinnew, "
    "samelines_comments, samelines_code, changedlines_comments, changedlines_code, "
    "deletedlines_comments, deletedlines_code, newlines_comments, newlines_code";

// A C file changed in one line, one deleted and one added.
void writeSmallTree(const TempDir& dir) {
  dir.write("old/a.c", "// add two numbers\nint add(int a, int b) {\n\n  return a + b;\n}\n");
  dir.write("new/a.c", "// add two numbers\nint add(int a, int b) {\n\n  return b + a;\n}\n");
  dir.write("old/gone.c", "int x;\n");
  dir.write("new/b.c", "/* new */\nint y;\n");
}

// Two language groups: C and Python.
void writeTwoLanguageTree(const TempDir& dir) {
  dir.write("old/main.c", "int main(void) { return 0; }\n");
  dir.write("new/main.c", "int main(void) { return 1; }\n");
  dir.write("old/tool.py", "# a tool\nprint('x')\n");
  dir.write("new/tool.py", "# a tool\nprint('y')\n");
}

std::string physical(const TempDir& dir) {
  return fs::canonical(dir.path()).string();
}

Rows sessions(const fs::path& db) {
  return queryRows(db, "SELECT sessionid FROM cvn_runs ORDER BY rowid");
}

// Everything the three tables hold, for before-and-after comparisons.
Rows everything(const fs::path& db) {
  Rows all = queryRows(db, "SELECT " + kFileColumns + " FROM file_compare_results");
  for (const char* sql : {"SELECT * FROM dir_compare_results", "SELECT * FROM cvn_runs"}) {
    Rows more = queryRows(db, sql);
    all.insert(all.end(), more.begin(), more.end());
  }
  return all;
}

TEST(CompareStorage, StoresTheStatementsAndReadsThemBack) {
  TempDir dir;
  writeSmallTree(dir);
  const CvnResult result = runCvn({"compare", "old", "new", "--db", "results.db"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const fs::path db = dir.path() / "results.db";

  EXPECT_EQ(queryRows(db, "SELECT " + kFileColumns + " FROM file_compare_results ORDER BY rowid"),
            (Rows{
                {"1", "a.c", "0", "0", "3", "1", "1", "4", "4", "1",
                 "1", "1",   "1", "2", "0", "1", "0", "0", "0", "0"},
                {"1", "gone.c", "0", "1", "0", "0", "0", "1", "0", "0",
                 "0", "0",      "0", "0", "0", "0", "0", "1", "0", "0"},
                {"1", "b.c", "2", "0", "0", "0", "0", "0", "2", "1",
                 "0", "0",   "0", "0", "0", "0", "0", "0", "1", "1"},
            }));
  const std::string root = physical(dir);
  EXPECT_EQ(queryRows(db, "SELECT * FROM dir_compare_results"),
            (Rows{{"1", "1", "1", "1", root + "/old/", root + "/new/"}}));
  const Rows runs = queryRows(
      db,
      "SELECT sessionid, oldroot, newroot, language, commentchar, multibegcomm, multiendcomm, "
      "threshold, comparetype, comparer, started != '' FROM cvn_runs");
  EXPECT_EQ(runs, (Rows{{"1", root + "/old", root + "/new", "c", "//", "/*", "*/", "10", "2",
                         "current", "1"}}));

  // files same/del/new, code, comment and all lines same/chg/del/new, blank old/new.
  const Row expected = {"1", "1", "1", "2", "1", "1", "1", "1", "0",
                        "0", "1", "3", "1", "1", "2", "1", "1"};
  EXPECT_EQ(summaryCells(result.out, "C"), expected) << result.out;
  EXPECT_EQ(summaryCells(result.out, "total"), expected) << result.out;
  EXPECT_NE(result.out.find("session 1 in results.db"), std::string::npos) << result.out;
}

TEST(CompareStorage, DefaultDatabaseIsInTheWorkingFolder) {
  TempDir dir;
  writeSmallTree(dir);
  ASSERT_EQ(runCvn({"compare", "old", "new"}, dir.path()).status, 0);
  EXPECT_EQ(sessions(dir.path() / "cvn.db"), (Rows{{"1"}}));
}

TEST(CompareStorage, SessionIdsFollowTheLargestStored) {
  TempDir dir;
  writeTwoLanguageTree(dir);
  const fs::path db = dir.path() / "r.db";
  const std::vector<std::string> args = {"compare", "old", "new", "--db", "r.db"};
  ASSERT_EQ(runCvn(args, dir.path()).status, 0);
  ASSERT_EQ(runCvn(args, dir.path()).status, 0);
  std::vector<std::string> forced = args;
  forced.insert(forced.end(), {"--session", "10"});
  ASSERT_EQ(runCvn(forced, dir.path()).status, 0);
  ASSERT_EQ(runCvn(args, dir.path()).status, 0);
  EXPECT_EQ(sessions(db), (Rows{{"1"}, {"2"}, {"3"}, {"4"}, {"10"}, {"11"}, {"12"}, {"13"}}));
  EXPECT_EQ(queryRows(db, "SELECT sessionid, samefiles FROM dir_compare_results ORDER BY rowid"),
            (Rows{{"1", "1"},
                  {"2", "1"},
                  {"3", "1"},
                  {"4", "1"},
                  {"10", "1"},
                  {"11", "1"},
                  {"12", "1"},
                  {"13", "1"}}));

  // Ids in the result tables count too, even without a run of ours.
  executeOn(db, "INSERT INTO file_compare_results (sessionid, filename) VALUES (50, 'x')");
  ASSERT_EQ(runCvn(args, dir.path()).status, 0);
  EXPECT_EQ(sessions(db).back(), Row{"52"});
}

TEST(CompareStorage, ForcedSessionAgainSummarizesOnlyItsOwnRows) {
  TempDir dir;
  writeSmallTree(dir);
  const std::vector<std::string> args = {"compare", "old", "new", "--session", "5"};
  const CvnResult first = runCvn(args, dir.path());
  const CvnResult second = runCvn(args, dir.path());
  ASSERT_EQ(first.status, 0) << first.err;
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(summaryCells(second.out, "total"), summaryCells(first.out, "total"));
  EXPECT_EQ(queryRows(dir.path() / "cvn.db", "SELECT COUNT(*) FROM dir_compare_results"),
            (Rows{{"2"}}));
}

TEST(CompareStorage, LegacyRowsHaveNoSplit) {
  TempDir dir;
  writeSmallTree(dir);
  const CvnResult result = runCvn({"compare", "old", "new", "--legacy"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  const fs::path db = dir.path() / "cvn.db";
  // Rows of the twelve named columns; the split columns stay NULL.
  EXPECT_EQ(queryRows(db,
                      "SELECT COUNT(*) > 0, COUNT(*) = COUNT(samelines), COUNT(samelines_code), "
                      "COUNT(newlines_comments) FROM file_compare_results"),
            (Rows{{"1", "1", "0", "0"}}));
  EXPECT_EQ(queryRows(db, "SELECT comparer FROM cvn_runs"), (Rows{{"legacy"}}));
  const Row cells = summaryCells(result.out, "C");
  ASSERT_EQ(cells.size(), 17u) << result.out;
  EXPECT_EQ(Row(cells.begin() + 3, cells.begin() + 11), Row(8, "-"));
}

TEST(CompareStorage, FailedRunLeavesTheDatabaseAsItWas) {
  TempDir dir;
  writeTwoLanguageTree(dir);
  dir.mkdir("db");
  setMode(dir.path() / "db", fs::perms::all);
  const fs::path db = dir.path() / "db" / "r.db";
  ASSERT_EQ(runCvn({"compare", "old", "new", "--db", "db/r.db"}, dir.path()).status, 0);
  setMode(db, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::group_write | fs::perms::others_read | fs::perms::others_write);
  const std::string bytes = readBytes(db);
  const Rows rows = everything(db);

  // The C group is stored before the Python file turns out to be unreadable.
  setMode(dir.path() / "new" / "tool.py", fs::perms::none);
  const CvnResult result =
      runCvn({"compare", "old", "new", "--db", "db/r.db"}, dir.path(), /*asNobody=*/true);
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("cvn: error 70: "), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("tool.py"), std::string::npos) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(everything(db), rows);
  EXPECT_TRUE(readBytes(db) == bytes);
  EXPECT_FALSE(fs::exists(dir.path() / "db" / "r.db-journal"));
}

TEST(CompareStorage, FailedRunLeavesNoNewDatabase) {
  TempDir dir;
  writeTwoLanguageTree(dir);
  dir.mkdir("db");
  setMode(dir.path() / "db", fs::perms::all);
  setMode(dir.path() / "new" / "tool.py", fs::perms::none);
  const CvnResult result =
      runCvn({"compare", "old", "new", "--db", "db/r.db"}, dir.path(), /*asNobody=*/true);
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("cvn: error 70: "), std::string::npos) << result.err;
  EXPECT_TRUE(fs::is_empty(dir.path() / "db"));
}

TEST(CompareStorage, SessionOverflowLeavesTheDatabaseAsItWas) {
  TempDir dir;
  writeTwoLanguageTree(dir);
  ASSERT_EQ(runCvn({"compare", "old", "new"}, dir.path()).status, 0);
  const fs::path db = dir.path() / "cvn.db";
  const std::string bytes = readBytes(db);
  // Two groups need two ids; the second does not fit.
  const CvnResult result = runCvn({"compare", "old", "new", "--session", "2147483647"}, dir.path());
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err.rfind("cvn: error 6: ", 0), 0u) << result.err;
  EXPECT_TRUE(readBytes(db) == bytes);
}

}  // namespace
}  // namespace cvn::test
