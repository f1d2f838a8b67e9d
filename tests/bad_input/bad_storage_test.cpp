// Where results go, when it goes wrong: read-only and locked SQLite files, a failure in
// the middle of a run, a PostgreSQL server that refuses, and a failed export. Nothing
// may be lost: the database holds the whole run or nothing of it, and an existing
// export file stays as it was.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstring>

#include "bad_input_support.hpp"
#include "cli/sqlite_rows.hpp"
#include "component/corvane.hpp"
#include "export/module1.hpp"
#include "platform/error.hpp"

namespace cvn::test {
namespace {

// Everything the result tables hold, for before-and-after comparisons.
Rows everything(const fs::path& db) {
  Rows all;
  for (const char* sql : {"SELECT * FROM file_compare_results ORDER BY rowid",
                          "SELECT * FROM dir_compare_results ORDER BY rowid",
                          "SELECT * FROM cvn_runs ORDER BY rowid"}) {
    Rows more = queryRows(db, sql);
    all.insert(all.end(), more.begin(), more.end());
  }
  return all;
}

class BadStorage : public ::testing::Test {
 protected:
  void SetUp() override {
    // Two language groups: C runs first, Python second.
    dir.write("old/a.c", "int a;\n");
    dir.write("new/a.c", "int b;\n");
    dir.write("old/tool.py", "# a tool\nprint(1)\n");
    dir.write("new/tool.py", "# a tool\nprint(2)\n");
  }
  BoundedResult cvn(const std::vector<std::string>& args, bool asNobody = false) {
    return runCvnBounded(args, dir.path(), asNobody);
  }
  // A database holding one earlier run.
  fs::path earlierRun(const std::string& name) {
    expectCvnSuccess(cvn({"compare", "old", "new", "--db", name}));
    return dir.path() / name;
  }
  TempDir dir;
};

TEST_F(BadStorage, LockedDatabaseFailsWithinTheBusyTimeoutAndIsUnchanged) {
  const fs::path db = earlierRun("results.db");
  const std::string bytes = bytesOf(db);
  const Rows rows = everything(db);
  for (const char* lock : {"BEGIN EXCLUSIVE", "BEGIN IMMEDIATE"}) {
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open_v2(db.c_str(), &holder, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, lock, nullptr, nullptr, nullptr), SQLITE_OK) << lock;
    ASSERT_EQ(sqlite3_exec(holder, "DELETE FROM cvn_runs", nullptr, nullptr, nullptr), SQLITE_OK);
    const BoundedResult result = cvn({"compare", "old", "new", "--db", "results.db"});
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(holder);
    expectCvnFailure(result, "cvn: ", "results.db");
    EXPECT_NE(result.err.find("locked"), std::string::npos) << lock << ": " << result.err;
    EXPECT_EQ(bytesOf(db), bytes) << lock;
    EXPECT_EQ(everything(db), rows) << lock;
  }
}

TEST_F(BadStorage, ReadOnlyDatabaseIsNamedAndUnchanged) {
  const fs::path db = earlierRun("results.db");
  const std::string bytes = bytesOf(db);
  fs::permissions(dir.path(), fs::perms::all);
  fs::permissions(db, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  for (const bool legacy : {false, true}) {
    std::vector<std::string> args = {"compare", "old", "new", "--db", "results.db"};
    if (legacy) args.push_back("--legacy");
    const BoundedResult result = cvn(args, /*asNobody=*/true);
    expectCvnFailure(result, "cvn: ", "results.db");
    EXPECT_NE(result.err.find("read-only"), std::string::npos) << result.err;
  }
  EXPECT_EQ(bytesOf(db), bytes);
  EXPECT_FALSE(fs::exists(dir.path() / "results.db-journal"));
}

// The second language group fails after the first one's statements went into the
// transaction: none of them may stay.
TEST_F(BadStorage, RunFailingHalfwayLeavesTheDatabaseAsItWas) {
  const fs::path db = earlierRun("results.db");
  const Rows rows = everything(db);
  fs::permissions(dir.path(), fs::perms::all);
  fs::permissions(db, fs::perms::all);
  const std::string bytes = bytesOf(db);
  fs::permissions(dir.path() / "new" / "tool.py", fs::perms::none);
  for (const bool legacy : {false, true}) {
    for (const std::string name : {"results.db", "fresh.db"}) {
      std::vector<std::string> args = {"compare", "old", "new", "--db", name};
      if (legacy) args.push_back("--legacy");
      expectCvnFailure(cvn(args, /*asNobody=*/true),
                       "cvn: error 70: ", physical(dir) + "/new/tool.py");
    }
  }
  EXPECT_EQ(bytesOf(db), bytes);
  EXPECT_EQ(everything(db), rows);
  EXPECT_FALSE(fs::exists(dir.path() / "fresh.db"));
  EXPECT_FALSE(fs::exists(dir.path() / "fresh.db-journal"));
  EXPECT_FALSE(fs::exists(dir.path() / "results.db-journal"));
}

TEST_F(BadStorage, PostgreSqlServerThatRefusesTheConnection) {
  const std::string uri = "postgresql://127.0.0.1:1/x";
  const BoundedResult probe = cvn({"compare", "old", "new", "--db", uri});
  // A build without PostgreSQL, or without the client library at run time, cannot try.
  for (const char* unsupported : {"SQLite files only", "not supported", "cannot use PostgreSQL"}) {
    if (probe.status == 2 && probe.err.find(unsupported) != std::string::npos) {
      GTEST_SKIP() << "cvn does not support PostgreSQL here: " << probe.err;
    }
  }
  expectCvnFailure(probe, "cvn: ", "127.0.0.1");
  const std::string keywords = "host=127.0.0.1 port=1 dbname=x";
  expectCvnFailure(cvn({"compare", "old", "new", "--db", keywords}), "cvn: ", "127.0.0.1");
  // Not taken for a SQLite file name.
  EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"new", "old"}));
}

// cvn export writes through the same atomic replacement: whatever fails, the file that
// was there stays, and no temporary file is left beside it.
TEST_F(BadStorage, ExistingExportSurvivesAFailedCvnExport) {
  const fs::path db = earlierRun("r.db");
  const std::string previous = "the previous export\r\r";
  const fs::path out = dir.path() / "out";
  dir.write("out/export.txt", previous);
  fs::permissions(out / "export.txt", fs::perms::all);
  fs::create_symlink("loop.txt", out / "loop.txt");
  const std::set<std::string> names = namesIn(out);
  auto exportTo = [&](const std::string& path, const std::string& session = "1") {
    return std::vector<std::string>{"export", "--session", session, "--db", "r.db", "--out", path};
  };

  expectCvnFailure(cvn(exportTo("out/loop.txt")), "cvn: error 75: ", "out/loop.txt");
  expectCvnFailure(cvn(exportTo("out/export.txt"), /*asNobody=*/true),
                   "cvn: error 70: ", "out/export.txt");
  expectCvnFailure(cvn(exportTo("out/export.txt", "99")), "cvn: ", "r.db");
  // The results cannot be read while another connection holds the database.
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open_v2(db.c_str(), &holder, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  const BoundedResult locked = cvn(exportTo("out/export.txt"));
  sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close_v2(holder);
  expectCvnFailure(locked, "cvn: ", "r.db");

  EXPECT_EQ(bytesOf(out / "export.txt"), previous);
  EXPECT_EQ(namesIn(out), names);
  // And the same command, undisturbed, does replace it.
  expectCvnSuccess(cvn(exportTo("out/export.txt")));
  EXPECT_NE(bytesOf(out / "export.txt"), previous);
}

// The Save dialog answers with a fixed path.
class ChosenPath {
 public:
  explicit ChosenPath(const std::string& path)
      : dialog_([path](Module1::OPENFILENAME& ofn) {
          if (path.size() >= static_cast<size_t>(ofn.nMaxFile)) return 0;
          std::memcpy(ofn.lpstrFile, path.c_str(), path.size() + 1);
          return 1;
        }) {}

 private:
  Module1::ScopedSaveDialog dialog_;
};

Failure exportTo(const std::string& path) {
  const ChosenPath chosen(path);
  Corvane comparer;
  return failureOf([&] { comparer.exportFile(u"top|||", u"contents|||", u"files|||", u"rows"); });
}

TEST(BadExport, ExistingExportFileSurvivesAFailedExport) {
  TempDir dir;
  const std::string folder = (dir.path() / "out").string();
  const std::string previous = "the previous export\r\r";
  dir.write("out/export.txt", previous);
  dir.mkdir("out/folder.txt");
  fs::create_symlink("loop.txt", dir.path() / "out" / "loop.txt");
  const std::set<std::string> names = namesIn(folder);

  struct Case {
    std::string path;
    int32_t number;
  };
  for (const Case& c : {Case{folder + "/loop.txt", kPathFileAccessError},
                        Case{folder + "/folder.txt", kPathFileAccessError},
                        Case{folder + "/missing/export.txt", kPathNotFound},
                        Case{folder + "/export.txt/", kPathNotFound}}) {
    const Failure f = exportTo(c.path);
    EXPECT_EQ(f.number, c.number) << c.path;
    EXPECT_NE(f.description.find(c.path), std::string::npos) << f.description;
  }
  // A file without write permission is read-only, also for root.
  fs::permissions(dir.path() / "out" / "export.txt",
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const Failure readOnly = exportTo(folder + "/export.txt");
  EXPECT_EQ(readOnly.number, kPermissionDenied);
  EXPECT_NE(readOnly.description.find(folder + "/export.txt"), std::string::npos);
  EXPECT_EQ(bytesOf(dir.path() / "out" / "export.txt"), previous);
  EXPECT_EQ(namesIn(folder), names);

  // Writable by anyone, in a folder nobody may write: no temporary file, no change.
  fs::permissions(dir.path() / "out" / "export.txt", fs::perms::all);
  expectChildPasses(runCheckBounded(
      [&] {
        const Failure f = exportTo(folder + "/export.txt");
        return childCheck(f.number == kPermissionDenied &&
                              f.description.find(folder + "/export.txt") != std::string::npos,
                          1, std::to_string(f.number) + " " + f.description);
      },
      /*asNobody=*/true));
  EXPECT_EQ(bytesOf(dir.path() / "out" / "export.txt"), previous);
  EXPECT_EQ(namesIn(folder), names);
}

}  // namespace
}  // namespace cvn::test
