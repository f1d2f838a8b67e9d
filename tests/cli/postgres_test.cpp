// The SQLite end-to-end checks against a real PostgreSQL server, named by CVN_TEST_POSTGRES
// (.ci/postgres.sh starts one). Without it they are skipped, except in CI, where they fail.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string_view>
#include <thread>

#include "file_bytes.hpp"
#include "postgres_database.hpp"
#include "run_cvn.hpp"
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

void writeSmallTree(const TempDir& dir) {
  dir.write("old/a.c", "// add two numbers\nint add(int a, int b) {\n\n  return a + b;\n}\n");
  dir.write("new/a.c", "// add two numbers\nint add(int a, int b) {\n\n  return b + a;\n}\n");
  dir.write("old/gone.c", "int x;\n");
  dir.write("new/b.c", "/* new */\nint y;\n");
}

void writeTwoLanguageTree(const TempDir& dir) {
  dir.write("old/main.c", "int main(void) { return 0; }\n");
  dir.write("new/main.c", "int main(void) { return 1; }\n");
  dir.write("old/tool.py", "# a tool\nprint('x')\n");
  dir.write("new/tool.py", "# a tool\nprint('y')\n");
}

class Postgres : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string server = postgresTestServer();
    if (server.empty()) {
      const char* ci = std::getenv("CI");
      if (ci != nullptr && std::string_view(ci) == "true") {
        FAIL() << "CVN_TEST_POSTGRES is not set: in CI the PostgreSQL tests run through "
                  ".ci/postgres.sh, which starts a server and sets it";
      }
      GTEST_SKIP() << "CVN_TEST_POSTGRES is not set; run through .ci/postgres.sh to test "
                      "against a real PostgreSQL server";
    }
    database = std::make_unique<PostgresDatabase>(server);
    root = fs::canonical(dir.path()).string();
  }

  CvnResult cvn(std::vector<std::string> args, bool asNobody = false) {
    args.insert(args.end(), {"--db", database->keywords()});
    return runCvn(args, dir.path(), asNobody);
  }
  Rows query(const std::string& sql) const { return database->query(sql); }
  Rows sessions() const { return query("SELECT sessionid FROM cvn_runs ORDER BY sessionid"); }
  Rows tables() const {
    return query(
        "SELECT table_name FROM information_schema.tables WHERE table_schema = 'public' "
        "ORDER BY table_name");
  }
  // Everything the three tables hold, for before-and-after comparisons.
  Rows everything() const {
    Rows all = query("SELECT " + kFileColumns + " FROM file_compare_results ORDER BY 1, 2");
    for (const char* sql :
         {"SELECT * FROM dir_compare_results ORDER BY 1", "SELECT * FROM cvn_runs ORDER BY 1"}) {
      Rows more = query(sql);
      all.insert(all.end(), more.begin(), more.end());
    }
    return all;
  }

  TempDir dir;
  std::unique_ptr<PostgresDatabase> database;
  std::string root;
};

TEST_F(Postgres, StoresTheStatementsAndReadsThemBack) {
  writeSmallTree(dir);
  const CvnResult result = cvn({"compare", "old", "new"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");

  EXPECT_EQ(query("SELECT " + kFileColumns + " FROM file_compare_results ORDER BY ctid"),
            (Rows{
                {"1", "a.c", "0", "0", "3", "1", "1", "4", "4", "1",
                 "1", "1",   "1", "2", "0", "1", "0", "0", "0", "0"},
                {"1", "gone.c", "0", "1", "0", "0", "0", "1", "0", "0",
                 "0", "0",      "0", "0", "0", "0", "0", "1", "0", "0"},
                {"1", "b.c", "2", "0", "0", "0", "0", "0", "2", "1",
                 "0", "0",   "0", "0", "0", "0", "0", "0", "1", "1"},
            }));
  EXPECT_EQ(query("SELECT * FROM dir_compare_results"),
            (Rows{{"1", "1", "1", "1", root + "/old/", root + "/new/"}}));
  EXPECT_EQ(query("SELECT sessionid, oldroot, newroot, language, commentchar, multibegcomm, "
                  "multiendcomm, threshold, comparetype, comparer, started != '', gitrepo, "
                  "oldrev, newrev FROM cvn_runs"),
            (Rows{{"1", root + "/old", root + "/new", "c", "//", "/*", "*/", "10", "2", "current",
                   "t", "NULL", "NULL", "NULL"}}));

  const Row expected = {"1", "1", "1", "2", "1", "1", "1", "1", "0",
                        "0", "1", "3", "1", "1", "2", "1", "1"};
  EXPECT_EQ(summaryCells(result.out, "C"), expected) << result.out;
  EXPECT_EQ(summaryCells(result.out, "total"), expected) << result.out;
  EXPECT_NE(result.out.find("Stored as session 1 in " + database->keywords() + ".\n"),
            std::string::npos)
      << result.out;
}

TEST_F(Postgres, TakesAUriAsWell) {
  writeSmallTree(dir);
  const CvnResult result = runCvn({"compare", "old", "new", "--db", database->uri()}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(sessions(), (Rows{{"1"}}));
  EXPECT_FALSE(fs::exists(dir.path() / "cvn.db"));
}

TEST_F(Postgres, SessionIdsFollowTheLargestStored) {
  writeTwoLanguageTree(dir);
  ASSERT_EQ(cvn({"compare", "old", "new"}).status, 0);
  ASSERT_EQ(cvn({"compare", "old", "new"}).status, 0);
  ASSERT_EQ(cvn({"compare", "old", "new", "--session", "10"}).status, 0);
  ASSERT_EQ(cvn({"compare", "old", "new"}).status, 0);
  EXPECT_EQ(sessions(), (Rows{{"1"}, {"2"}, {"3"}, {"4"}, {"10"}, {"11"}, {"12"}, {"13"}}));
  EXPECT_EQ(query("SELECT sessionid, samefiles FROM dir_compare_results ORDER BY sessionid"),
            (Rows{{"1", "1"},
                  {"2", "1"},
                  {"3", "1"},
                  {"4", "1"},
                  {"10", "1"},
                  {"11", "1"},
                  {"12", "1"},
                  {"13", "1"}}));

  // Ids in the result tables count too, even without a run of ours.
  database->execute("INSERT INTO file_compare_results (sessionid, filename) VALUES (50, 'x')");
  ASSERT_EQ(cvn({"compare", "old", "new"}).status, 0);
  EXPECT_EQ(sessions().back(), Row{"52"});
}

TEST_F(Postgres, RunsAtTheSameTimeTakeDifferentSessions) {
  writeTwoLanguageTree(dir);
  constexpr int kRuns = 4;
  std::vector<CvnResult> results(kRuns);
  std::vector<std::thread> threads;
  for (int k = 0; k < kRuns; ++k) {
    threads.emplace_back([&, k] { results[k] = cvn({"compare", "old", "new", "--quiet"}); });
  }
  for (std::thread& thread : threads) thread.join();
  for (const CvnResult& result : results) EXPECT_EQ(result.status, 0) << result.err;
  Rows expected;
  for (int id = 1; id <= 2 * kRuns; ++id) expected.push_back({std::to_string(id)});
  EXPECT_EQ(sessions(), expected);
  EXPECT_EQ(query("SELECT sessionid, COUNT(*) FROM dir_compare_results GROUP BY sessionid "
                  "HAVING COUNT(*) <> 1"),
            Rows{});
}

TEST_F(Postgres, ForcedSessionAgainSummarizesOnlyItsOwnRows) {
  writeSmallTree(dir);
  const CvnResult first = cvn({"compare", "old", "new", "--session", "5"});
  const CvnResult second = cvn({"compare", "old", "new", "--session", "5"});
  ASSERT_EQ(first.status, 0) << first.err;
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(summaryCells(second.out, "total"), summaryCells(first.out, "total"));
  EXPECT_EQ(query("SELECT COUNT(*) FROM dir_compare_results"), (Rows{{"2"}}));
}

TEST_F(Postgres, LegacyRowsHaveNoSplit) {
  writeSmallTree(dir);
  const CvnResult result = cvn({"compare", "old", "new", "--legacy"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(query("SELECT COUNT(*) > 0, COUNT(*) = COUNT(samelines), COUNT(samelines_code), "
                  "COUNT(newlines_comments) FROM file_compare_results"),
            (Rows{{"t", "t", "0", "0"}}));
  EXPECT_EQ(query("SELECT comparer FROM cvn_runs"), (Rows{{"legacy"}}));
}

TEST_F(Postgres, FailedRunLeavesTheDatabaseAsItWas) {
  writeTwoLanguageTree(dir);
  ASSERT_EQ(cvn({"compare", "old", "new"}).status, 0);
  const Rows rows = everything();

  // The C group is stored before the Python file turns out to be unreadable.
  setMode(dir.path() / "new" / "tool.py", fs::perms::none);
  const CvnResult result = cvn({"compare", "old", "new"}, /*asNobody=*/true);
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("cvn: error 70: "), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("tool.py"), std::string::npos) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(everything(), rows);
}

TEST_F(Postgres, FailedFirstRunLeavesNoTables) {
  writeTwoLanguageTree(dir);
  setMode(dir.path() / "new" / "tool.py", fs::perms::none);
  const CvnResult result = cvn({"compare", "old", "new"}, /*asNobody=*/true);
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(tables(), Rows{});
}

TEST_F(Postgres, NameThatIsNotUtf8IsRefusedAndNothingStored) {
  writeSmallTree(dir);
  dir.write("new/caf\xE9.c", "int c;\n");
  const CvnResult result = cvn({"compare", "old", "new"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "cvn: cannot write database " + database->keywords() + ": the name " +
                            root + "/new/caf\xE9.c is not valid UTF-8\n");
  EXPECT_EQ(tables(), Rows{});

  // UTF-8 names beyond ASCII are stored as they are.
  fs::remove(dir.path() / "new/caf\xE9.c");
  dir.write("new/caf\xC3\xA9.c", "int c;\n");
  ASSERT_EQ(cvn({"compare", "old", "new"}).status, 0);
  EXPECT_EQ(query("SELECT filename FROM file_compare_results WHERE filename LIKE 'caf%'"),
            (Rows{{"caf\xC3\xA9.c"}}));
}

TEST_F(Postgres, NamesWithQuotesAndBackslashesKeepThem) {
  dir.write("old/it's\\here.c", "int q;\n");
  dir.write("new/it's\\here.c", "int q;\n");
  ASSERT_EQ(cvn({"compare", "old", "new"}).status, 0);
  EXPECT_EQ(query("SELECT filename FROM file_compare_results"), (Rows{{"it's\\here.c"}}));
}

TEST_F(Postgres, SessionOverflowLeavesTheDatabaseAsItWas) {
  writeTwoLanguageTree(dir);
  ASSERT_EQ(cvn({"compare", "old", "new"}).status, 0);
  const Rows rows = everything();
  const CvnResult result = cvn({"compare", "old", "new", "--session", "2147483647"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err.rfind("cvn: error 6: ", 0), 0u) << result.err;
  EXPECT_EQ(everything(), rows);
}

TEST_F(Postgres, RunTableOfAnEarlierVersionGetsTheNewColumns) {
  writeSmallTree(dir);
  database->execute(
      "CREATE TABLE cvn_runs (sessionid INTEGER NOT NULL, oldroot TEXT NOT NULL, "
      "newroot TEXT NOT NULL, language TEXT, commentchar TEXT NOT NULL, "
      "multibegcomm TEXT NOT NULL, multiendcomm TEXT NOT NULL, threshold INTEGER NOT NULL, "
      "comparetype TEXT NOT NULL, comparer TEXT NOT NULL, started TEXT NOT NULL);"
      "INSERT INTO cvn_runs VALUES (7, '/a', '/b', 'c', '//', '/*', '*/', 10, '2', 'current', "
      "'2024-01-01T00:00:00Z')");
  ASSERT_EQ(cvn({"compare", "old", "new"}).status, 0);
  EXPECT_EQ(query("SELECT sessionid, gitrepo, oldrev, newrev FROM cvn_runs ORDER BY 1"),
            (Rows{{"7", "NULL", "NULL", "NULL"}, {"8", "NULL", "NULL", "NULL"}}));
}

TEST_F(Postgres, PasswordIsNotShown) {
  writeSmallTree(dir);
  // The test server trusts local connections, so the password is never asked for.
  const CvnResult result = runCvn(
      {"compare", "old", "new", "--db", database->keywords() + " password=s3cret"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out.find("s3cret"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("Stored as session 1 in "), std::string::npos) << result.out;
}

TEST_F(Postgres, FormatsReadTheSameTotals) {
  writeSmallTree(dir);
  const CvnResult result = cvn({"compare", "old", "new", "--format", "csv"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(linesOf(result.out).at(1), "C,c,1,1,1,1,2,1,1,1,1,0,0,1,3,1,1,2,1,1") << result.out;
}

}  // namespace
}  // namespace cvn::test
