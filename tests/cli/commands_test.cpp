// cvn list, cvn count (over the language fixtures) and cvn export.
#include <array>
#include <map>
#include <sstream>

#include "cli_test.hpp"
#include "languages/language_table.hpp"

namespace cvn::test {
namespace {

TEST(List, OneFilePerLineAsTheComponentListsThem) {
  TempDir dir;
  for (const char* file : {"src/b.h", "src/a.c", "src/readme.txt", "src/sub/c.C", "src/\xE9t.c"}) {
    dir.write(file, "int a;\n");
  }
  const std::string s = fs::canonical(dir.path()).string() + "/src/";
  EXPECT_EQ(runCvn({"list", "src"}, {.cwd = dir.path()}).out,
            s + "a.c\n" + s + "b.h\n" + s + "readme.txt\n" + s + "\xE9t.c\n" + s + "sub/c.C\n");
  EXPECT_EQ(runCvn({"list", s + "sub/*.c"}).out, s + "sub/c.C\n");
}

// The fixtures of tests/data/languages, one per language, counted as one folder.
TEST(Count, EveryLanguageCountsItsFixture) {
  std::ifstream in(fs::path(CVN_TEST_DATA_DIR) / "languages" / "COUNTS.txt");
  std::map<size_t, std::string> rows;  // by table order
  std::array<int, 4> sums{};
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string key, file;
    words >> key >> file;
    const size_t language = cli::findLanguage(key).value();
    rows[language] = std::string(cli::languages()[language].name) + "," + key + ",1";
    for (int& sum : sums) {
      int count = 0;
      words >> count;
      sum += count;
      rows[language] += "," + std::to_string(count);
    }
  }
  EXPECT_EQ(rows.size(), cli::languages().size());  // each language checked by its fixture
  std::string expected = "language,key,files,total,comment,blank,code\n";
  for (const auto& [language, row] : rows) expected += row + "\n";
  expected += "total,," + std::to_string(rows.size());
  for (const int sum : sums) expected += "," + std::to_string(sum);
  EXPECT_EQ(runCvn({"count", "languages", "--format", "csv"}, {.cwd = CVN_TEST_DATA_DIR}).out,
            expected + "\n");
}

// Files and folders alike, each file once, by language; filters, markers and --lang-for.
TEST(Count, FilesAndFoldersByLanguage) {
  TempDir dir;
  dir.write("src/a.c", "// header\nint a;\n\n/* block\n   still */\nint b; // trailing\n");
  dir.write("src/gen/b.c", "int x;\n");
  dir.write("src/tool", "#!/usr/bin/env python3\n# c\nprint(1)\n");
  dir.write("src/notes.txt", "notes\n");
  const std::string csv = "language,key,files,total,comment,blank,code\n";
  for (const auto& [args, out] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"src"},
            "language | files | total | comment | blank | code\n"
            "---------+-------+-------+---------+-------+-----\n"
            "C        |     2 |     7 |       3 |     1 |    3\n"
            "Python   |     1 |     3 |       2 |     0 |    1\n"
            "---------+-------+-------+---------+-------+-----\n"
            "total    |     3 |    10 |       5 |     1 |    4\n\n"
            "Left out 1 file of no known language.\n"},
           {{"src/a.c", "src", "--exclude-dir", "gen", "--format", "json"},
            R"({"languages":[{"language":"C","key":"c","files":1,"total":6,"comment":3,"blank":1,)"
            R"("code":2},{"language":"Python","key":"python","files":1,"total":3,"comment":2,)"
            R"("blank":0,"code":1}],"total":{"files":2,"total":9,"comment":5,"blank":1,"code":3},)"
            R"("unknown_files":1})"
            "\n"},
           {{"src/a.c", "src/tool", "--format", "csv", "--lang", "c", "--comment", "#"},
            csv + "C,c,2,9,4,1,4\ntotal,,2,9,4,1,4\n"},
           {{"src", "--match", "*.c", "--format", "csv", "--comment", "int", "--begin", "", "--end",
             ""},
            csv + "custom markers,,2,7,3,1,3\ntotal,,2,7,3,1,3\n"},
           {{"src", "--match", "a.c", "--lang-for", "c=python", "--format", "csv"},
            csv + "Python,python,1,6,0,1,5\ntotal,,1,6,0,1,5\n"},
       }) {
    std::vector<std::string> all = {"count"};
    all.insert(all.end(), args.begin(), args.end());
    EXPECT_EQ(runCvn(all, {.cwd = dir.path()}).out, out) << ::testing::PrintToString(args);
  }
}

// The stored run as the component's export file, or on standard output; a failure keeps the file
// that was there; without --out, a desktop or a terminal, a hint to use --out.
TEST(Export, WritesTheStoredRunThroughTheComponent) {
  TempDir dir;
  dir.write("old/a.c", "int a;\n");
  dir.write("new/a.c", "int b;\n");
  dir.write("new/\xCE\xA9.c", "int d;\n");  // no code in Windows-1252
  runCvn({"compare", "old", "new", "--db", "r.db", "--session", "7"}, {.cwd = dir.path()});
  runCvn({"compare", "old", "new", "--db", "r.db", "--session", "8", "--legacy"},
         {.cwd = dir.path()});
  const auto cvnExport = [&](const std::string& session, const std::string& out, Options o = {}) {
    o.cwd = dir.path();
    return runCvn({"export", "--session", session, "--db", "r.db", "--out", out}, o);
  };
  ASSERT_EQ(cvnExport("7", "  spaced.txt").err, "");  // leading spaces are part of the name
  const std::string r = fs::canonical(dir.path()).string();
  std::string header = sqlite(dir.path() / "r.db",
                              "SELECT group_concat(name, char(9)) FROM pragma_table_info("
                              "'file_compare_results') WHERE name != 'sessionid'");
  header.back() = '\r';
  EXPECT_EQ(readBytes(dir.path() / "  spaced.txt"),
            "CVN comparison, session 7\rsession\t7\rold root\t" + r + "/old\rnew root\t" + r +
                "/new\rlanguage\tc\rcomment marker\t//\rcomment begin\t/*\rcomment end\t*/\r"
                "threshold\t10\rcompare type\t2\rclass\tCorvane\rstarted\t" +
                sqlite(dir.path() / "r.db", "SELECT started FROM cvn_runs").substr(0, 20) +
                "\rsamefiles\tdeletedfiles\tnewfiles\toldpath\tnewpath\r1\t0\t1\t" + r + "/old/\t" +
                r + "/new/\r\r\r" + header +
                "a.c\t0\t0\t0\t0\t1\t1\t1\t0\t0\t0\t0\t0\t0\t1\t0\t0\t0\t0\r"
                "?.c\t1\t0\t0\t0\t0\t0\t1\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t1\r");
  // The legacy comparer's rows leave the eight split cells empty.
  ASSERT_EQ(cvnExport("8", "legacy.txt").status, 0);
  const std::string legacy = readBytes(dir.path() / "legacy.txt");
  EXPECT_NE(legacy.find("\rclass\tCorvane_old\r"), std::string::npos) << legacy;
  EXPECT_TRUE(legacy.ends_with("\ra.c\t0\t0\t0\t0\t1\t1\t1\t0\t0\t0\t\t\t\t\t\t\t\t\r")) << legacy;

  // The file may be written, its folder not: the export cannot replace it in one step.
  dir.write("out/e.txt", "kept");
  fs::permissions(dir.path() / "out/e.txt", fs::perms::all);
  expectFailure(cvnExport("7", "out/e.txt", {.asNobody = true}), "cvn: error 70: ", "out/e.txt");
  sqlite(dir.path() / "r.db", "UPDATE cvn_runs SET commentchar = '#|' WHERE sessionid = 7");
  expectFailure(cvnExport("7", "out/e.txt"), "cvn: session 7: cannot export \"#|\"", "ends a line");
  EXPECT_EQ(readBytes(dir.path() / "out/e.txt"), "kept");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "out"), {}), 1);

  // "-" is standard output, through a temporary file that goes.
  dir.mkdir("tmp");
  const Outcome piped = cvnExport("8", "-", {.env = {{"TMPDIR", r + "/tmp"}}});
  EXPECT_EQ(piped.out, legacy);
  EXPECT_TRUE(fs::is_empty(dir.path() / "tmp"));

  const auto before = std::distance(fs::directory_iterator(dir.path()), {});
  const Outcome result =
      runCvn({"export", "--session", "8", "--db", "r.db"},
             {.cwd = dir.path(),
              .env = {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}},
              .detached = true});
  expectFailure(result, "cvn: no display for the Save dialog", "--out FILE");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), before);
}

}  // namespace
}  // namespace cvn::test
