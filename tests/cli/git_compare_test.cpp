#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "cvn_process.hpp"
#include "file_bytes.hpp"
#include "run_cvn.hpp"
#include "sqlite_rows.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

namespace fs = std::filesystem;
using Row = std::vector<std::string>;

// A repository made here: two commits, tagged "v1" and "release/2".
class GitCompare : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::canonical(dir.path()).string();
    dir.mkdir("tmp");
    dir.mkdir("home");
    git({"init", "-q", "-b", "main", "repo"}, dir.path());
    dir.write("repo/src/a.c", "// a\nint a(void) { return 1; }\n");
    dir.write("repo/src/gone.c", "int gone;\n");
    dir.write("repo/tool.py", "print('one')\n");
    commit("first", "v1");
    dir.write("repo/src/a.c", "// a\nint a(void) { return 2; }\n");
    fs::remove(dir.path() / "repo/src/gone.c");
    dir.write("repo/src/new.c", "/* new */\nint fresh;\n");
    commit("second", "release/2");
  }

  // The environment of every program here: no user or system git settings, fixed
  // identities, temporary folders in tmp/ so that leftovers show.
  EnvChanges environment() const {
    return {{"HOME", root + "/home"},
            {"GIT_CONFIG_NOSYSTEM", "1"},
            {"GIT_AUTHOR_NAME", "Test"},
            {"GIT_AUTHOR_EMAIL", "test@example.invalid"},
            {"GIT_COMMITTER_NAME", "Test"},
            {"GIT_COMMITTER_EMAIL", "test@example.invalid"},
            {"GIT_AUTHOR_DATE", "2024-01-01T00:00:00Z"},
            {"GIT_COMMITTER_DATE", "2024-01-01T00:00:00Z"},
            {"TMPDIR", root + "/tmp"}};
  }
  void git(std::vector<std::string> args, const fs::path& cwd) {
    args.insert(args.begin(), "git");
    const CvnResult result = runProgram(args, cwd, environment());
    ASSERT_EQ(result.status, 0) << result.err;
  }
  void commit(const std::string& message, const std::string& tag) {
    git({"add", "-A"}, dir.path() / "repo");
    git({"commit", "-q", "-m", message}, dir.path() / "repo");
    git({"tag", tag}, dir.path() / "repo");
  }
  CvnResult cvn(const std::vector<std::string>& args) {
    return runCvnWithEnv(args, dir.path(), environment());
  }
  bool tmpIsEmpty() const { return fs::is_empty(dir.path() / "tmp"); }

  TempDir dir;
  std::string root;
};

TEST_F(GitCompare, ComparesTwoRevisionsAndRecordsThem) {
  const CvnResult result = cvn({"compare", "--git", "repo", "v1", "release/2", "--db", "g.db"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(tmpIsEmpty());
  EXPECT_NE(result.out.find("old: " + root + "/repo at v1\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("new: " + root + "/repo at release/2\n"), std::string::npos)
      << result.out;

  const fs::path db = dir.path() / "g.db";
  EXPECT_EQ(queryRows(db,
                      "SELECT sessionid, language, gitrepo, oldrev, newrev FROM cvn_runs "
                      "ORDER BY sessionid"),
            (Rows{{"1", "c", root + "/repo", "v1", "release/2"},
                  {"2", "python", root + "/repo", "v1", "release/2"}}));
  EXPECT_EQ(queryRows(db,
                      "SELECT sessionid, filename, changedlines FROM file_compare_results "
                      "ORDER BY rowid"),
            (Rows{{"1", "src/a.c", "1"},
                  {"1", "src/gone.c", "0"},
                  {"1", "src/new.c", "0"},
                  {"2", "tool.py", "0"}}));
  // The roots name the repository and the revision ("/" written as "_").
  const Rows folders = queryRows(db,
                                 "SELECT samefiles, deletedfiles, newfiles, oldpath, newpath "
                                 "FROM dir_compare_results WHERE sessionid = 1");
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_EQ((Row(folders[0].begin(), folders[0].begin() + 3)), (Row{"1", "1", "1"}));
  const std::string& oldPath = folders[0][3];
  const std::string& newPath = folders[0][4];
  EXPECT_EQ(oldPath.rfind(root + "/tmp/cvn-", 0), 0u) << oldPath;
  EXPECT_TRUE(oldPath.ends_with("/repo@v1/")) << oldPath;
  EXPECT_EQ(newPath.rfind(root + "/tmp/cvn-", 0), 0u) << newPath;
  EXPECT_TRUE(newPath.ends_with("/repo@release_2/")) << newPath;
  EXPECT_EQ(queryRows(db,
                      "SELECT oldroot || '/' = oldpath FROM cvn_runs JOIN "
                      "dir_compare_results USING (sessionid) WHERE sessionid = 1"),
            (Rows{{"1"}}));
}

TEST_F(GitCompare, DatabaseOfAnEarlierVersionGetsTheNewColumns) {
  // The run table as the first cvn made it, with one run in it.
  executeOn(dir.path() / "old.db",
            "CREATE TABLE cvn_runs (sessionid INTEGER NOT NULL, oldroot TEXT NOT NULL, "
            "newroot TEXT NOT NULL, language TEXT, commentchar TEXT NOT NULL, "
            "multibegcomm TEXT NOT NULL, multiendcomm TEXT NOT NULL, "
            "threshold INTEGER NOT NULL, comparetype TEXT NOT NULL, comparer TEXT NOT NULL "
            "CHECK (comparer IN ('current', 'legacy')), started TEXT NOT NULL);"
            "INSERT INTO cvn_runs VALUES (4, '/a', '/b', 'c', '//', '/*', '*/', 10, '2', "
            "'current', '2024-01-01T00:00:00Z')");
  const CvnResult result =
      cvn({"compare", "--git", "repo", "v1", "release/2", "--lang", "c", "--db", "old.db"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(queryRows(dir.path() / "old.db",
                      "SELECT sessionid, gitrepo, oldrev, newrev FROM cvn_runs ORDER BY rowid"),
            (Rows{{"4", "NULL", "NULL", "NULL"}, {"5", root + "/repo", "v1", "release/2"}}));
}

TEST_F(GitCompare, FiltersApplyToRevisionsToo) {
  const CvnResult result = cvn({"compare", "--git", "repo", "v1", "release/2", "--match", "*.py",
                                "--format", "csv", "--db", "g.db"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(linesOf(result.out).size(), 3u) << result.out;
  EXPECT_EQ(linesOf(result.out).at(1).rfind("Python,python,1,1,0,0,", 0), 0u) << result.out;
}

TEST_F(GitCompare, UnknownRevisionFailsAndLeavesNothing) {
  const CvnResult result = cvn({"compare", "--git", "repo", "v1", "v9", "--db", "g.db"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err.rfind("cvn: --git: cannot export revision v9 of " + root + "/repo: ", 0), 0u)
      << result.err;
  EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
  EXPECT_TRUE(tmpIsEmpty());
  EXPECT_FALSE(fs::exists(dir.path() / "g.db"));
}

TEST_F(GitCompare, FolderThatIsNoRepositoryFails) {
  dir.mkdir("plain");
  const CvnResult result = cvn({"compare", "--git", "plain", "v1", "v1"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err.rfind("cvn: --git: cannot export revision v1 of " + root + "/plain: ", 0),
            0u)
      << result.err;
  EXPECT_TRUE(tmpIsEmpty());
}

TEST_F(GitCompare, GitAndFoldersTogetherAreRefused) {
  dir.mkdir("a");
  dir.mkdir("b");
  const CvnResult both = cvn({"compare", "a", "b", "--git", "repo", "v1", "release/2"});
  EXPECT_EQ(both.status, 2);
  EXPECT_NE(both.err.find("--git"), std::string::npos) << both.err;
  const CvnResult short_ = cvn({"compare", "--git", "repo", "v1"});
  EXPECT_EQ(short_.status, 2);
  EXPECT_NE(short_.err.find("--git"), std::string::npos) << short_.err;
  EXPECT_TRUE(tmpIsEmpty());
}

TEST_F(GitCompare, FailedComparisonRemovesTheExportsAndStoresNothing) {
  // A forced session that does not leave room for two runs: the comparison itself fails.
  const CvnResult result = cvn(
      {"compare", "--git", "repo", "v1", "release/2", "--db", "g.db", "--session", "2147483647"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err.rfind("cvn: error 6: ", 0), 0u) << result.err;
  EXPECT_TRUE(tmpIsEmpty());
  EXPECT_FALSE(fs::exists(dir.path() / "g.db"));
}

TEST_F(GitCompare, InterruptRemovesTheExportsAndStoresNothing) {
  // A git that says it started, then hangs until it is stopped.
  dir.write("bin/git", "#!/bin/sh\n: > \"$CVN_TEST_TRIGGER\"\nexec sleep 60\n");
  setMode(dir.path() / "bin/git", fs::perms::owner_all);
  EnvChanges env = environment();
  env.emplace_back("PATH", root + "/bin:/usr/bin:/bin");
  env.emplace_back("CVN_TEST_TRIGGER", root + "/started");
  for (const int signal : {SIGINT, SIGTERM}) {
    fs::remove(dir.path() / "started");
    const CvnResult result =
        runCvnAndSignal({"compare", "--git", "repo", "v1", "release/2", "--db", "g.db"}, dir.path(),
                        env, dir.path() / "started", signal);
    EXPECT_EQ(result.status, 128 + signal) << result.err;
    EXPECT_TRUE(fs::exists(dir.path() / "started"));
    EXPECT_TRUE(tmpIsEmpty());
    EXPECT_FALSE(fs::exists(dir.path() / "g.db"));
  }
}

TEST_F(GitCompare, MissingGitIsNamed) {
  EnvChanges env = environment();
  env.emplace_back("PATH", root + "/home");
  const CvnResult result =
      runCvnWithEnv({"compare", "--git", "repo", "v1", "release/2"}, dir.path(), env);
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, "cvn: cannot run git: No such file or directory\n");
  EXPECT_TRUE(tmpIsEmpty());
}

}  // namespace
}  // namespace cvn::test
