// cvn compare: roots however typed, filters, one run per language, the summary in each format and
// the progress on a terminal, revisions of a git repository, the golden cases byte for byte.
#include <nlohmann/json.hpp>

#include <csignal>

#include "cli_test.hpp"
#include "support/golden.hpp"

namespace cvn::test {
namespace {

TEST(Compare, RootsAreAbsoluteAndNormalHoweverTyped) {
  TempDir dir;
  dir.write("old/a.c", "int a;\n");
  dir.write("new/a.c", "int b;\n");
  dir.write("v\xFF/caf\xE9.c", "int c;\n");
  fs::create_directory_symlink("old", dir.path() / "link");
  const std::string r = fs::canonical(dir.path()).string();
  for (const auto& [typedOld, typedNew, shownOld, shownNew] :
       std::vector<std::array<std::string, 4>>{{"./old/", "new//", "old", "new"},
                                               {"nothing/../old", "new/a.c/..", "old", "new"},
                                               {r + "//old///", r + "/./new", "old", "new"},
                                               {"link", "v\xFF", "link", "v\xFF"}}) {
    // Numbers at their limits are taken.
    const Outcome result = runCvn({"compare", typedOld, typedNew, "--sql", "--threshold", "+32767",
                                   "--session", "2147483647"},
                                  {.cwd = dir.path()});
    EXPECT_TRUE(
        result.out.ends_with("'" + r + "/" + shownOld + "/','" + r + "/" + shownNew + "/')|||"))
        << result.out;
  }
}

// --ignore-whitespace and --ignore-case make lines that differ only so the same; --renames
// pairs deleted and new files by content (identical first, ties to the same file name),
// compares each pair under the new name and records it.
TEST(Compare, FoldingAndRenames) {
  TempDir dir;
  std::string body;
  for (int k = 0; k < 10; ++k) body += "int f" + std::to_string(k) + "(void);\n";
  dir.write("old/keep.c", "int  Main(void);\n");
  dir.write("new/keep.c", "int main(void);\n");
  dir.write("old/a.c", body);
  dir.write("new/b.c", body.substr(0, body.rfind("int f9")) + "int g(void);\n");  // 9 of 10
  dir.write("old/gone.c", "int gone;\n");
  dir.write("old/util.c", "int u;\n");
  dir.write("new/other.c", "int u;\n");
  dir.write("new/z/util.c", "int u;\n");
  dir.write("old/empty.c", "");  // identical, without a line to share
  dir.write("new/z/void.c", "");
  struct Case {
    std::vector<std::string> args;
    std::string rows;     // file, same, changed
    std::string renames;  // as stored
    std::string run;      // ignorewhitespace, ignorecase, renames
  };
  for (const Case& c : std::vector<Case>{
           {{}, "keep.c|0|1\n", "", "0|0|NULL\n"},
           {{"--ignore-whitespace"}, "keep.c|0|1\n", "", "1|0|NULL\n"},
           {{"--ignore-whitespace", "--ignore-case"}, "keep.c|1|0\n", "", "1|1|NULL\n"},
           {{"--renames"},
            "b.c|9|1\nkeep.c|0|1\nz/util.c|1|0\n",
            "1|1|a.c|b.c|90\n1|1|util.c|z/util.c|100\n1|1|empty.c|z/void.c|100\n",
            "0|0|50\n"},
           {{"--renames=95"},
            "keep.c|0|1\nz/util.c|1|0\n",
            "1|1|util.c|z/util.c|100\n1|1|empty.c|z/void.c|100\n",
            "0|0|95\n"},
       }) {
    std::vector<std::string> args = {"compare", "old", "new", "--db", "f.db"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    fs::remove(dir.path() / "f.db");
    const Outcome result = runCvn(args, {.cwd = dir.path()});
    ASSERT_EQ(result.status, 0) << result.err;
    const fs::path db = dir.path() / "f.db";
    // The files compared in both trees; deleted and new ones are only counted.
    EXPECT_EQ(sqlite(db,
                     "SELECT filename, samelines, changedlines FROM file_compare_results "
                     "WHERE samelines + changedlines > 0"),
              c.rows);
    EXPECT_EQ(sqlite(db, "SELECT * FROM cvn_renames"), c.renames);
    EXPECT_EQ(sqlite(db, "SELECT ignorewhitespace, ignorecase, renames FROM cvn_runs"), c.run);
  }
  EXPECT_NE(runCvn({"compare", "old", "new", "--renames", "--db", "s.db"}, {.cwd = dir.path()})
                .out.find("Renamed 3 files (old -> new, lines alike):\n  a.c -> b.c (90%, C)\n"
                          "  util.c -> z/util.c (100%, C)\n  empty.c -> z/void.c (100%, C)\n"),
            std::string::npos);
  expectFailure(runCvn({"compare", "old", "new", "--renames=abc"}, {.cwd = dir.path()}),
                "cvn: --renames: ", "\"abc\" is not a percentage from 1 to 100");
  // --no-db: the summary, and no database anywhere.
  const Outcome look = runCvn({"compare", "old", "new", "--no-db"}, {.cwd = dir.path()});
  EXPECT_TRUE(look.out.ends_with("Nothing stored (--no-db).\n")) << look.out;
  EXPECT_FALSE(fs::exists(dir.path() / "cvn.db"));
}

// --by-file reads each file's counts back from the statements, quotes in names included; the
// --format sql script makes its own tables in an empty database.
TEST(Compare, ByFileCountsAndAScriptForAnEmptyDatabase) {
  TempDir dir;
  dir.write("old/it's.c", "int a;\n");
  dir.write("new/it's.c", "int b;\nint c;\n");
  EXPECT_TRUE(runCvn({"compare", "old", "new", "--no-db", "--by-file", "--format", "csv"},
                     {.cwd = dir.path()})
                  .out.ends_with("\nit's.c,,c,modified,0,1,0,1,0,0,0,0,0,0\n"));
  sqlite(dir.path() / "fresh.db",
         runCvn({"compare", "old", "new", "--format", "sql"}, {.cwd = dir.path()}).out);
  EXPECT_EQ(sqlite(dir.path() / "fresh.db", "SELECT path, status, code_new FROM cvn_file_changes"),
            "it's.c|modified|1\n");
}

TEST(Compare, FiltersChooseFilesByNameAndFolderName) {
  TempDir dir;
  for (const char* file : {"main.c", "util.h", "build/gen.c", "src/build/a.c", "src/builds/b.c"}) {
    dir.write(std::string("old/") + file, "int a;\n");
    dir.write(std::string("new/") + file, "int a;\n");
  }
  for (const auto& [filters, same] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--match", "*.h,m*.c"}, "2"},
           {{"--exclude", "src/*"}, "3"},
           {{"--exclude-dir", "build"}, "3"}}) {
    // Before the folders, which each filter must leave alone.
    std::vector<std::string> args = {"compare"};
    args.insert(args.end(), filters.begin(), filters.end());
    args.insert(args.end(), {"old", "new", "--db", "f.db", "--format", "csv"});
    EXPECT_NE(runCvn(args, {.cwd = dir.path()}).out.find("\ntotal,,," + same + ","),
              std::string::npos);
  }
}

const std::string kCsvHeader =
    "language,key,session,files_unchanged,files_modified,files_new,files_deleted,code_same,"
    "code_changed,code_deleted,"
    "code_new,comment_same,comment_changed,comment_deleted,comment_new,all_same,all_changed,"
    "all_deleted,all_new,blank_old,blank_new\n";

// One run per language, in the language table's order (make after Python, though "Makefile"
// sorts first).
TEST(Compare, SummaryInEachFormatProgressOnATerminal) {
  TempDir dir;
  writeTree(dir);
  const auto compare = [&](std::vector<std::string> more) {
    std::vector<std::string> args = {"compare", "old", "new", "--db", "s.db"};
    args.insert(args.end(), more.begin(), more.end());
    fs::remove(dir.path() / "s.db");
    const Outcome result = runCvn(args, {.cwd = dir.path()});
    EXPECT_EQ(result.err, "");
    return result.out;
  };
  const std::string r = fs::canonical(dir.path()).string();
  EXPECT_EQ(compare({}), "old: " + r + "/old\nnew: " + r + "/new\n" + R"(
         | files               | code lines          | comment lines       | all lines           | blank lines
language | unch  mod  new  del | same  chg  del  new | same  chg  del  new | same  chg  del  new |  old    new
---------+---------------------+---------------------+---------------------+---------------------+------------
C        |    0    1    1    1 |    2    1    1    1 |    1    0    0    1 |    3    1    1    2 |    1      1
Python   |    0    1    0    0 |    0    1    0    0 |    1    0    0    0 |    1    1    0    0 |    0      0
Makefile |    1    0    0    0 |    2    0    0    0 |    1    0    0    0 |    3    0    0    0 |    0      0
---------+---------------------+---------------------+---------------------+---------------------+------------
total    |    1    2    1    1 |    4    2    1    1 |    3    0    0    1 |    7    2    1    2 |    1      1

Left out 1 file of no known language (old 0, new 1).
Stored as run 1 (sessions 1-3) in s.db.
)");
  EXPECT_EQ(compare({"--format", "csv"}),
            kCsvHeader +
                "C,c,1,0,1,1,1,2,1,1,1,1,0,0,1,3,1,1,2,1,1\n"
                "Python,python,2,0,1,0,0,0,1,0,0,1,0,0,0,1,1,0,0,0,0\n"
                "Makefile,make,3,1,0,0,0,2,0,0,0,1,0,0,0,3,0,0,0,0,0\n"
                "total,,,1,2,1,1,4,2,1,1,3,0,0,1,7,2,1,2,1,1\n");
  EXPECT_EQ(compare({"--format", "csv", "--legacy"}),
            kCsvHeader +
                "C,c,1,0,1,1,1,,,,,,,,,4,1,0,0,1,1\n"
                "Python,python,2,0,1,0,0,,,,,,,,,1,1,0,0,0,0\n"
                "Makefile,make,3,1,0,0,0,,,,,,,,,3,0,0,0,0,0\n"
                "total,,,1,2,1,1,,,,,,,,,8,2,0,0,1,1\n");
  auto json = nlohmann::json::parse(compare({"--format", "json"}));
  EXPECT_EQ(json["languages"][1].dump(),
            R"({"blank":{"new":0,"old":0},"code":{"changed":1,"deleted":0,"new":0,"same":0},)"
            R"("comments":{"changed":0,"deleted":0,"new":0,"same":1},"files":{"deleted":0,)"
            R"("modified":1,"new":0,"unchanged":0},"key":"python","language":"Python",)"
            R"("lines":{"changed":1,)"
            R"("deleted":0,"new":0,"same":1},"session":2})");
  EXPECT_EQ(json["total"]["lines"].dump(), R"({"changed":2,"deleted":1,"new":2,"same":7})");
  json = nlohmann::json::parse(compare({"--format", "json", "--legacy"}));
  EXPECT_EQ(json["languages"][0]["code"].dump() + json["total"]["comments"].dump(), "nullnull");
  json.erase("languages");
  json.erase("total");
  EXPECT_EQ(
      json.dump(),
      R"({"database":"s.db","new":")" + r + R"(/new","old":")" + r +
          R"(/old","renames":[],"run":1,"sessions":[1,2,3],"submodules_left_out":0,"unknown_files":{"new":1,"old":0}})");
  EXPECT_NE(compare({"--legacy"}).find("|    -    -    -    - |    -    -    -    - |    4"),
            std::string::npos);
  // Markers given by --lang or by hand make one run of every file; C's block markers stay.
  // --lang-for chooses by extension over the table.
  for (const auto& [args, row] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--lang", "PYTHON"}, "Python,python,1,1,2,2,1,5,2,1,3,2,0,0,0,7,2,1,3,1,1"},
           {{"--comment", "#"}, "custom markers,,1,1,2,2,1,5,2,1,3,2,0,0,0,7,2,1,3,1,1"},
           {{"--lang", "c", "--comment", "#"}, "C,c,1,1,2,2,1,5,2,1,2,2,0,0,1,7,2,1,3,1,1"},
           // tool.py alone with C's markers: its "#" line is code.
           {{"--lang-for", "py=c", "--lang-for", "c=python"},
            "C,c,1,0,1,0,0,1,1,0,0,0,0,0,0,1,1,0,0,0,0"},
       }) {
    std::vector<std::string> all = {"--format", "csv"};
    all.insert(all.end(), args.begin(), args.end());
    EXPECT_EQ(linesOf(compare(all)).at(1), row);
  }
  // --by-file: every file of both trees, in listing order by language, with its status.
  EXPECT_EQ(compare({"--by-file", "--format", "csv"}),
            "path,old_path,language,status,code_same,code_changed,code_deleted,code_new,"
            "comment_same,comment_changed,comment_deleted,comment_new,blank_old,blank_new\n"
            "a.c,,c,modified,2,1,0,0,1,0,0,0,1,1\n"
            "gone.c,,c,deleted,0,0,1,0,0,0,0,0,0,0\n"
            "b.c,,c,new,0,0,0,1,0,0,0,1,0,0\n"
            "tool.py,,python,modified,0,1,0,0,1,0,0,0,0,0\n"
            "Makefile,,make,unchanged,2,0,0,0,1,0,0,0,0,0\n"
            "notes.txt,,,not counted,,,,,,,,,,\n");
  EXPECT_EQ(sqlite(dir.path() / "s.db",
                   "SELECT run, session, language, path, status, code_new, "
                   "lines_old FROM cvn_file_changes ORDER BY session, path"),
            "1|1|c|a.c|modified|0|4\n1|1|c|b.c|new|1|0\n1|1|c|gone.c|deleted|0|1\n"
            "1|2|python|tool.py|modified|0|1\n1|3|make|Makefile|unchanged|0|2\n");
  json = nlohmann::json::parse(compare({"--by-file", "--format", "json", "--legacy"}));
  EXPECT_EQ(json["files"][0].dump(),
            R"({"blank":{"new":1,"old":1},"code":null,"comments":null,"language":"c",)"
            R"("old_path":null,"path":"a.c","status":"modified"})");
  EXPECT_NE(compare({"--by-file"}).find("unchanged   make                 2     0     0     0"),
            std::string::npos);
  EXPECT_EQ(compare({"--quiet"}), "");
  EXPECT_EQ(sqlite(dir.path() / "s.db", "SELECT COUNT(*) FROM cvn_runs"), "3\n");

  // Progress only on a terminal, cleared before the summary or the statements.
  const Options terminal = {.cwd = dir.path(), .terminal = true};
  const std::string shown = runCvn({"compare", "old", "new"}, terminal).out;
  for (const char* line :
       {"\r\x1b[K[1/3] C [....................]   0% 0/3 files  a.c\r",
        "\r\x1b[K[3/3] Makefile [####################] 100% 1/1 files", "\r\x1b[Kold: "}) {
    EXPECT_NE(shown.find(line), std::string::npos) << line << "\n" << shown;
  }
  EXPECT_EQ(runCvn({"compare", "old", "new", "--quiet"}, terminal).out, "");
  dir.write("long/" + std::string(100, 'n') + ".c", "int n;\n");  // the last column stays free
  const std::string cut = runCvn({"compare", "long", "long", "--db", "l.db"}, terminal).out;
  EXPECT_NE(cut.find("files  ...nnn"), std::string::npos) << cut;
  for (size_t at = cut.find("\r\x1b[K"); at != std::string::npos;
       at = cut.find("\r\x1b[K", at + 1)) {
    EXPECT_LE(cut.find('\r', at + 4) - at - 4, 79u) << cut;
  }
  const std::string sql = runCvn({"compare", "old", "new", "--sql"}, terminal).out;
  EXPECT_EQ(sql.substr(sql.rfind("\r\x1b[K") + 4),
            runCvn({"compare", "old", "new", "--sql"}, {.cwd = dir.path()}).out);
}

// cvn compare --git: two revisions read from the repository, nothing written outside it.
class Git : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"repo", "tmp", "home"}) dir.mkdir(folder);
    git({"init", "-q", "-b", "main", "."});
    dir.write("repo/src/a.c", "// a\nint a(void) { return 1; }\n");
    dir.write("repo/tool.py", "print('one')\n");
    dir.write("repo/run", "#!/bin/sh\necho\n");  // its language read from the repository
    commit("v1");
    dir.write("repo/src/a.c", "// a\nint a(void) { return 2; }\n");
    dir.write("repo/src/new.c", "int fresh;\n");
    fs::create_symlink("src/a.c", dir.path() / "repo/link.c");
    commit("release/2");
    // A link out of the repository and a submodule, neither of which is read.
    dir.write("secret.c", "int secret;\n");
    fs::create_symlink("../../secret.c", dir.path() / "repo/src/up.c");
    commit("v3",
           {"update-index", "--add", "--cacheinfo", "160000," + std::string(40, '1') + ",sub"});
  }
  // No user or system settings; temporary folders in tmp/, so that leftovers show.
  Options options() const {
    return {.cwd = dir.path(),
            .env = {{"HOME", r + "/home"}, {"GIT_CONFIG_NOSYSTEM", "1"}, {"TMPDIR", r + "/tmp"}}};
  }
  void git(std::vector<std::string> args) {
    args.insert(args.begin(), {"git", "-C", r + "/repo"});
    ASSERT_EQ(run(args, options()).status, 0);
  }
  // thenAdd: a git command that stages what the working tree cannot show.
  void commit(const std::string& tag, std::vector<std::string> thenAdd = {}) {
    git({"add", "-A"});
    if (!thenAdd.empty()) git(std::move(thenAdd));
    git({"-c", "user.name=T", "-c", "user.email=t@example.invalid", "commit", "-q", "-m", tag});
    git({"tag", tag});
  }

  TempDir dir;
  const std::string r = fs::canonical(dir.path()).string();
};

TEST_F(Git, ComparesRevisionsStraightFromTheRepository) {
  const Outcome result =
      runCvn({"compare", "--git", "repo", "v1", "release/2", "--db", "g.db"}, options());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(fs::is_empty(dir.path() / "tmp"));
  EXPECT_TRUE(
      result.out.starts_with("old: " + r + "/repo at v1\nnew: " + r + "/repo at release/2\n"))
      << result.out;
  const fs::path db = dir.path() / "g.db";
  EXPECT_EQ(sqlite(db, "SELECT sessionid, language, gitrepo, oldrev, newrev FROM cvn_runs"),
            "1|c|" + r + "/repo|v1|release/2\n2|python|" + r + "/repo|v1|release/2\n3|shell|" + r +
                "/repo|v1|release/2\n");
  EXPECT_EQ(sqlite(db, "SELECT sessionid, filename, changedlines FROM file_compare_results"),
            "1|src/a.c|1\n1|link.c|0\n1|src/new.c|0\n2|tool.py|0\n3|run|0\n");
  EXPECT_EQ(sqlite(db,
                   "SELECT gitrepo, oldrev, newrev, length(oldcommit), length(newcommit) "
                   "FROM cvn_run"),
            r + "/repo|v1|release/2|40|40\n");
  // The roots name the repository and the revision, "/" written as "_".
  EXPECT_EQ(sqlite(db, "SELECT oldpath, newpath FROM dir_compare_results LIMIT 1"),
            r + "/repo@v1/|" + r + "/repo@release_2/\n");

  // The statements of the trees as git archive writes them, but for the roots.
  for (const auto& [rev, to] : {std::pair{"v1", "v1"}, {"release/2", "release_2"}}) {
    dir.mkdir(to);
    ASSERT_EQ(run({"sh", "-c", "git -C repo archive " + std::string(rev) + " | tar -x -C " + to},
                  options())
                  .status,
              0);
  }
  const std::string exported = runCvn({"compare", "v1", "release_2", "--sql"}, options()).out;
  std::string direct =
      runCvn({"compare", "--git", "repo", "v1", "release/2", "--sql"}, options()).out;
  for (const std::string rev : {"v1", "release_2"}) {
    for (size_t at; (at = direct.find("/repo@" + rev + "/")) != std::string::npos;) {
      direct.replace(at, rev.size() + 7, "/" + rev + "/");
    }
  }
  EXPECT_EQ(direct, exported);

  const Outcome third = runCvn({"compare", "--git", "repo", "release/2", "v3", "--sql"}, options());
  EXPECT_EQ(third.out.find("up.c"), std::string::npos) << third.out;
  EXPECT_NE(runCvn({"compare", "--git", "repo", "release/2", "v3", "--db", "3.db"}, options())
                .out.find("Left out 1 submodule: another repository holds their files."),
            std::string::npos);

  // Many files read on four threads at once, each through a reader of its own.
  for (int k = 0; k < 40; ++k) {
    dir.write("repo/many/f" + std::to_string(k) + ".c", std::string(k * 99, 'x') + "\n");
  }
  commit("v4");
  const auto statementsOn = [&](const char* threads) {
    return runCvn({"compare", "--git", "repo", "v3", "v4", "--sql", "-j", threads}, options()).out;
  };
  EXPECT_EQ(statementsOn("4"), statementsOn("1"));
  EXPECT_NE(statementsOn("1").find("many/f39.c"), std::string::npos);

  // A git that says it started, then waits to be stopped.
  dir.write("bin/git", "#!/bin/sh\n: > " + r + "/started\nexec sleep 60\n");
  fs::permissions(dir.path() / "bin/git", fs::perms::owner_all);
  // A git whose object reader ends at once: a failure, never a SIGPIPE.
  dir.write("quits/git", "#!/bin/sh\n[ \"$3\" = cat-file ] && exit 0\nexec /usr/bin/git \"$@\"\n");
  fs::permissions(dir.path() / "quits/git", fs::perms::owner_all);
  struct Case {
    std::vector<std::string> args;  // after --git repo
    std::pair<std::string, std::optional<std::string>> env;
    int signal;
    std::string start;
  };
  const std::string bin = r + "/bin:/usr/bin:/bin";
  for (const Case& c : std::vector<Case>{
           {{"v1", "v9"},
            {"TMPDIR", {}},
            0,
            "cvn: --git: cannot read revision v9 of " + r +
                "/repo: fatal: Not a valid object name v9\n"},
           {{"v1", "release/2", "--session", "2147483647"}, {}, 0, "cvn: error 6: "},
           {{"v1", "release/2"}, {"PATH", r + "/home"}, 0, "cvn: cannot run git: "},
           {{"v1", "release/2"}, {"PATH", r + "/quits:/usr/bin:/bin"}, 0, "cvn: error 75: "},
           {{"v1", "release/2"}, {"PATH", bin}, SIGINT, ""},
           {{"v1", "release/2"}, {"PATH", bin}, SIGTERM, ""},
           {{"v1", "release/2"}, {"PATH", bin}, SIGHUP, ""},
           {{"v1", "release/2"}, {"PATH", bin}, SIGQUIT, ""},
       }) {
    std::vector<std::string> args = {"compare", "--db", "f.db", "--git", "repo"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    Options o = options();
    o.env.push_back(c.env);  // TMPDIR unset: in /tmp
    o.signal = c.signal;
    o.trigger = dir.path() / "started";
    fs::remove(o.trigger);
    const Outcome result = runCvn(args, o);
    EXPECT_EQ(result.status, c.signal != 0 ? 128 + c.signal : 2) << result.err;
    EXPECT_TRUE(result.err.starts_with(c.start)) << result.err;
    EXPECT_EQ(c.signal != 0, fs::exists(o.trigger));
    EXPECT_TRUE(fs::is_empty(dir.path() / "tmp")) << result.err;
    EXPECT_FALSE(fs::exists(dir.path() / "f.db"));
  }
}

class Golden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, SqlIsByteExact) {
  const GoldenCase& c = GetParam();
  const fs::path root = fs::canonical(fs::path(CVN_TEST_DATA_DIR) / "golden");
  std::vector<std::string> args = {"compare", c.folder + "/old", c.folder + "/new", "--sql"};
  args.insert(args.end(), c.arguments.begin(), c.arguments.end());
  const Outcome result = runCvn(args, {.cwd = root});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(result.out == goldenExpected(root, c, (root / c.folder / "old").string(),
                                           (root / c.folder / "new").string()))
      << c.expectedFile;
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden,
                         ::testing::ValuesIn(goldenCases(fs::path(CVN_TEST_DATA_DIR) / "golden")),
                         [](const auto& info) {
                           std::string name = info.param.expectedFile;
                           for (char& ch : name) ch = std::isalnum(ch) != 0 ? ch : '_';
                           return name;
                         });

}  // namespace
}  // namespace cvn::test
