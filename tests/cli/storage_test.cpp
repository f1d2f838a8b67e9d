// Where cvn compare stores its results: one suite over a SQLite file and a PostgreSQL database.
// The PostgreSQL half needs the server .ci/postgres.sh starts (CVN_TEST_POSTGRES); without one
// it is skipped, except in CI, where it fails.
#include <cstdlib>
#include <thread>

#include "cli_test.hpp"

namespace cvn::test {
namespace {

// The rows a query gives, in sqlite()'s form.
std::string psql(const std::string& location, const std::string& sql) {
  const Outcome result =
      run({"psql", "-XAtq", "-P", "null=NULL", "-v", "ON_ERROR_STOP=1", "-d", location, "-c", sql});
  if (result.status != 0) throw std::runtime_error(sql + ": " + result.err);
  return result.out;
}

class Storage : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    writeTree(dir);
    fs::permissions(dir.path(), fs::perms::all);  // nobody may make files here
    if (!postgres) return;
    const char* server = std::getenv("CVN_TEST_POSTGRES");
    const char* ci = std::getenv("CI");
    if (!server && ci && std::string_view(ci) == "true") FAIL() << "CVN_TEST_POSTGRES is not set";
    if (!server) GTEST_SKIP() << "no PostgreSQL server: run the tests through .ci/postgres.sh";
    admin = server;
    name = "cvn_test_" + dir.path().filename().string().substr(9);  // "cvn-test-" and digits
    psql(admin, "CREATE DATABASE " + name);
    // The server trusts the tests' connections: the password is there to be hidden.
    location = admin + " dbname=" + name + " password=s3cret";
  }
  void TearDown() override {
    if (!name.empty()) psql(admin, "DROP DATABASE " + name + " WITH (FORCE)");
  }

  Outcome cvn(std::vector<std::string> args, bool asNobody = false) {
    args.insert(args.begin(), {"compare", "old", "new", "--db", location});
    return runCvn(args, {.cwd = dir.path(), .asNobody = asNobody});
  }
  std::string query(const std::string& sql) {
    return postgres ? psql(location, sql) : sqlite(dir.path() / location, sql);
  }
  std::string everything() {  // what the tables hold, in the order it was stored
    return query("SELECT * FROM file_compare_results ORDER BY " + order) +
           query("SELECT * FROM dir_compare_results ORDER BY " + order) +
           query("SELECT * FROM cvn_runs ORDER BY " + order);
  }

  const bool postgres = GetParam() == "PostgreSQL";
  const std::string order = postgres ? "ctid" : "rowid";
  TempDir dir;
  std::string admin, name, location = "r.db";
};

TEST_P(Storage, StoresTheRowsOfTheStatements) {
  for (int k = 0; k < 600; ++k) {  // more rows than one insert takes
    dir.write("old/many/" + std::to_string(k) + ".c", "int v;\n");
    dir.write("new/many/" + std::to_string(k) + ".c", k % 7 == 0 ? "int w;\n" : "int v;\n");
  }
  ASSERT_EQ(
      runCvn({"compare", "old", "new", "--match", "none", "--db", "s.db"}, {.cwd = dir.path()})
          .status,
      0);
  for (const bool legacy : {false, true}) {
    std::vector<std::string> args = {"--session", legacy ? "4" : "1"};
    if (legacy) args.emplace_back("--legacy");
    const Outcome result = cvn(args);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.find("s3cret"), std::string::npos);
    args.insert(args.begin(), {"compare", "old", "new", "--sql"});
    std::string sql = runCvn(args, {.cwd = dir.path()}).out;
    for (size_t at = sql.find("|||"); at != std::string::npos; at = sql.find("|||", at)) {
      sql.replace(at, 3, ";\n");
    }
    sqlite(dir.path() / "s.db", "BEGIN;" + sql + "COMMIT");
  }
  for (const char* table : {"file_compare_results", "dir_compare_results"}) {
    const std::string sql = std::string("SELECT * FROM ") + table + " ORDER BY ";
    EXPECT_EQ(query(sql + order), sqlite(dir.path() / "s.db", sql + "rowid")) << table;
  }
  EXPECT_EQ(query("SELECT sessionid, language, commentchar, multibegcomm, multiendcomm, comparer "
                  "FROM cvn_runs ORDER BY 1"),
            "1|c|//|/*|*/|current\n2|python|#|||current\n3|make|#|||current\n"
            "4|c|//|/*|*/|legacy\n5|python|#|||legacy\n6|make|#|||legacy\n");
  const std::string r = fs::canonical(dir.path()).string();
  EXPECT_EQ(
      query("SELECT DISTINCT oldroot, newroot, threshold, comparetype, gitrepo FROM cvn_runs"),
      r + "/old|" + r + "/new|10|2|NULL\n");
  // The export reads the session back, its files in the order they were stored.
  const Outcome exported =
      runCvn({"export", "--session", "1", "--db", location, "--out", "-"}, {.cwd = dir.path()});
  ASSERT_EQ(exported.status, 0) << exported.err;
  std::string files;
  for (size_t at = exported.out.find("\rmany/"); at != std::string::npos;
       at = exported.out.find("\rmany/", at + 1)) {
    files += exported.out.substr(at + 1, exported.out.find('\t', at) - at - 1) + "\n";
  }
  EXPECT_EQ(files, query("SELECT filename FROM file_compare_results WHERE sessionid = 1 AND "
                         "filename LIKE 'many/%' ORDER BY " +
                         order));
}

// --format sql prints a script that sqlite3 or psql runs as it is, storing what a run stores.
TEST_P(Storage, TheScriptStoresTheRowsOfARun) {
  ASSERT_EQ(cvn({"--quiet"}).status, 0);  // sessions 1-3
  const Outcome script =
      runCvn({"compare", "old", "new", "--format", "sql", "--session", "4"}, {.cwd = dir.path()});
  ASSERT_EQ(script.status, 0) << script.err;
  query(script.out);
  // A run exports as its sessions' exports one after another.
  const auto exported = [&](const char* option, const char* id) {
    return runCvn({"export", option, id, "--db", location, "--out", "-"}, {.cwd = dir.path()}).out;
  };
  EXPECT_EQ(exported("--run", "1"),
            exported("--session", "1") + exported("--session", "2") + exported("--session", "3"));
  EXPECT_NE(exported("--session", "3"), "");
  // The script's run takes the next id of the database it runs in.
  EXPECT_EQ(query("SELECT id FROM cvn_run ORDER BY id"), "1\n2\n");
  EXPECT_EQ(query("SELECT DISTINCT run FROM cvn_runs WHERE sessionid > 3"), "2\n");
  // The view gives both runs' files with their status, the script's as the stored one's.
  const auto statuses = [&](const char* run) {
    return query(std::string("SELECT language, path, status, code_same FROM cvn_file_changes "
                             "WHERE run = ") +
                 run + " ORDER BY language, path");
  };
  EXPECT_EQ(statuses("2"), statuses("1"));
  EXPECT_NE(statuses("1").find("|unchanged|"), std::string::npos) << statuses("1");
  for (const std::string columns :
       {"filename, samelines, changedlines, newlines_code, blanklinesinold FROM "
        "file_compare_results",
        "samefiles, deletedfiles, newfiles, oldpath, newpath FROM dir_compare_results",
        "language, commentchar, threshold, comparer, renames FROM cvn_runs"}) {
    EXPECT_EQ(query("SELECT " + columns + " WHERE sessionid > 3 ORDER BY sessionid, " + order),
              query("SELECT " + columns + " WHERE sessionid <= 3 ORDER BY sessionid, " + order));
  }
}

// Ids follow the largest of any table, also of a run table of an earlier version, which gets the
// new columns; runs at the same time take ids of their own; an id given again sums its own rows.
TEST_P(Storage, SessionIdsFollowTheLargestStored) {
  query(
      "CREATE TABLE cvn_runs (sessionid INTEGER NOT NULL, oldroot TEXT NOT NULL, newroot TEXT "
      "NOT NULL, language TEXT, commentchar TEXT NOT NULL, multibegcomm TEXT NOT NULL, "
      "multiendcomm TEXT NOT NULL, threshold INTEGER NOT NULL, comparetype TEXT NOT NULL, "
      "comparer TEXT NOT NULL, started TEXT NOT NULL); INSERT INTO cvn_runs VALUES (7, '/a', "
      "'/b', 'c', '//', '/*', '*/', 10, '2', 'current', '2024-01-01T00:00:00Z')");
  const std::string once = cvn({"--session", "10", "--format", "csv"}).out;
  query("INSERT INTO file_compare_results (sessionid, filename) VALUES (50, 'x')");
  std::vector<std::thread> runs;
  for (int k = 0; k < 4; ++k) runs.emplace_back([&] { EXPECT_EQ(cvn({"--quiet"}).status, 0); });
  for (std::thread& thread : runs) thread.join();
  EXPECT_NE(once, "");
  // A session stored already is refused, also when a later run of the command would hit it.
  expectFailure(cvn({"--session", "12"}), "cvn: --session 12: ", "holds session 12 already");
  expectFailure(cvn({"--session", "9"}), "cvn: --session 9: ", "holds session 10 already");
  // Each run has an id of its own, which its sessions carry; the older row has none.
  EXPECT_EQ(query("SELECT COUNT(DISTINCT id), MIN(id), MAX(id) FROM cvn_run"), "5|1|5\n");
  EXPECT_EQ(query("SELECT sessionid FROM cvn_runs WHERE run IS NULL OR run NOT IN "
                  "(SELECT id FROM cvn_run)"),
            "7\n");
  std::string ids = "7|1|NULL\n10|1|NULL\n11|1|NULL\n12|1|NULL\n";
  for (int id = 51; id <= 62; ++id) ids += std::to_string(id) + "|1|NULL\n";
  EXPECT_EQ(query("SELECT sessionid, COUNT(*), MAX(newrev) FROM cvn_runs GROUP BY 1 ORDER BY 1"),
            ids);
}

// The C group is stored before the Python file turns out to be unreadable: nothing of the run
// may stay, and a first run leaves no database behind. Nor does a run that overflows the ids or
// finds another connection holding the database, after waiting for it.
TEST_P(Storage, AFailedRunLeavesTheDatabaseAsItWas) {
  fs::permissions(dir.path() / "new/tool.py", fs::perms::none);
  expectFailure(cvn({}, true), "cvn: error 70: ", "/new/tool.py");
  EXPECT_FALSE(postgres ? !query("SELECT 1 FROM pg_tables WHERE schemaname = 'public'").empty()
                        : fs::exists(dir.path() / location));
  fs::permissions(dir.path() / "new/tool.py", fs::perms::owner_read);
  ASSERT_EQ(cvn({}).status, 0);
  if (!postgres) fs::permissions(dir.path() / location, fs::perms::all);
  const std::string before = everything();
  const std::string bytes = postgres ? "" : readBytes(dir.path() / location);
  fs::permissions(dir.path() / "new/tool.py", fs::perms::none);
  expectFailure(cvn({}, true), "cvn: error 70: ", "/new/tool.py");
  expectFailure(cvn({"--session", "2147483646"}), "cvn: error 6: ", "2147483648");
  // Another writer holds the database: the run says that it waits, then gives up.
  sqlite3* holder = nullptr;
  std::thread pgHolder;
  if (postgres) {
    pgHolder = std::thread(
        [&] { query("BEGIN; SELECT pg_advisory_xact_lock(6518382); SELECT pg_sleep(4); COMMIT"); });
    while (query("SELECT COUNT(*) FROM pg_locks WHERE locktype = 'advisory'") != "1\n") {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  } else {
    ASSERT_EQ(sqlite3_open((dir.path() / location).c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  }
  const Outcome waited = cvn({"--busy-timeout", "2"});
  EXPECT_EQ(waited.status, 2);
  EXPECT_TRUE(waited.err.starts_with("cvn: waiting for another program to finish writing ") &&
              waited.err.find(" s, --busy-timeout)\ncvn: cannot write database ") !=
                  std::string::npos &&
              waited.err.ends_with(": another program is writing it (waited 2 s, see "
                                   "--busy-timeout)\n"))
      << waited.err;
  sqlite3_close(holder);
  if (pgHolder.joinable()) pgHolder.join();
  EXPECT_EQ(everything(), before);
  EXPECT_TRUE(postgres || readBytes(dir.path() / location) == bytes);
  EXPECT_FALSE(fs::exists(dir.path() / (location + "-journal")));
}

// A table of that name that someone else made fails the run in the database's own words.
TEST_P(Storage, AForeignTableOfTheSameNameFailsTheRun) {
  query("CREATE TABLE file_compare_results (sessionid INTEGER)");
  const Outcome result = cvn({});
  expectFailure(result, "cvn: cannot write database ", "filename");
  EXPECT_EQ(result.err.find("ERROR"), std::string::npos);
}

// Names are stored as they are: quotes, backslashes, characters beyond the first Unicode plane.
// PostgreSQL takes UTF-8 only and refuses the run of a name that is not.
TEST_P(Storage, NamesKeepTheirCharacters) {
  const std::string names =
      "caf\xC3\xA9.c\nend|/mid|dle.c\nit's\\here.c\ntab\t.c\n\xF0\x9F\x98\x80.c\n";
  for (size_t at = 0; at < names.size(); at = names.find('\n', at) + 1) {
    dir.write("new/" + names.substr(at, names.find('\n', at) - at), "int n;\n");
  }
  ASSERT_EQ(cvn({}).status, 0);
  dir.write("new/caf\xE9.c", "int n;\n");
  const Outcome latin1 = cvn({});
  if (postgres) {
    expectFailure(latin1, "cvn: cannot write database ",
                  fs::canonical(dir.path()).string() + "/new/caf\xE9.c is not valid UTF-8");
    EXPECT_EQ(latin1.err.find("s3cret"), std::string::npos);
    expectFailure(cvn({"--begin", "\xE9", "--match", "*.py"}), "cvn: cannot write database ",
                  "marker \xE9 is not");
  }
  EXPECT_EQ(
      query("SELECT filename FROM file_compare_results WHERE filename NOT IN ('a.c', "
            "'b.c', 'gone.c', 'tool.py', 'Makefile') ORDER BY sessionid, 1"),
      names + (postgres ? "" : "caf\xC3\xA9.c\ncaf\xE9.c\n" + names.substr(names.find('\n') + 1)));
}

INSTANTIATE_TEST_SUITE_P(Databases, Storage, ::testing::Values("SQLite", "PostgreSQL"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace cvn::test
