#include <gtest/gtest.h>

#include <filesystem>

#include "run_cvn.hpp"
#include "sqlite_rows.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

// A statement of a --sql list reduced to its session and, for a file, the file's name.
struct Entry {
  std::string session;
  std::string file;  // "" for the folder statement
  friend bool operator==(const Entry&, const Entry&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Entry& e) {
    return out << "{" << e.session << ", " << e.file << "}";
  }
};

std::vector<Entry> entries(const std::string& list) {
  std::vector<Entry> result;
  for (size_t start = 0; start < list.size();) {
    const size_t end = list.find("|||", start);
    const std::string statement = list.substr(start, end - start);
    const size_t values = statement.find("values (") + 8;
    const size_t comma = statement.find(',', values);
    Entry entry{statement.substr(values, comma - values), ""};
    if (statement.starts_with("insert into file_compare_results")) {
      entry.file = statement.substr(comma + 2, statement.find("',", comma) - comma - 2);
    }
    result.push_back(entry);
    start = end == std::string::npos ? list.size() : end + 3;
  }
  return result;
}

// C, Python, shell and make files, and some that no language claims.
void writeMixedTree(const TempDir& dir) {
  dir.write("old/src/main.c", "// entry\nint main(void) { return 0; }\n");
  dir.write("new/src/main.c", "// entry\nint main(void) { return 1; }\n");
  dir.write("old/src/util.h", "int twice(int x);\n");
  dir.write("new/src/util.h", "int twice(int x);\n");
  dir.write("old/scripts/tool.py", "# a tool\nprint('x')\n");
  dir.write("new/scripts/tool.py", "# a tool\nprint('y')\n");
  dir.write("old/Makefile", "# build\nall:\n\tcc -o app src/main.c\n");
  dir.write("new/Makefile", "# build\nall:\n\tcc -o app src/main.c\n");
  dir.write("old/build.sh", "#!/bin/sh\nmake\n");
  dir.write("old/README.md", "# App\n");
  dir.write("new/README.md", "# App\n");
  dir.write("old/data.bin", "\x01\x02");
  dir.write("new/notes.txt", "notes\n");
}

TEST(LanguageGrouping, OneRunPerLanguageInTableOrder) {
  TempDir dir;
  writeMixedTree(dir);
  const CvnResult result = runCvn({"compare", "old", "new", "--sql"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(entries(result.out), (std::vector<Entry>{
                                     {"1", "src/main.c"},
                                     {"1", "src/util.h"},
                                     {"1", ""},
                                     {"2", "scripts/tool.py"},
                                     {"2", ""},
                                     {"3", "build.sh"},
                                     {"3", ""},
                                     {"4", "Makefile"},
                                     {"4", ""},
                                 }));
}

TEST(LanguageGrouping, EachGroupUsesItsOwnMarkers) {
  TempDir dir;
  writeMixedTree(dir);
  const CvnResult result = runCvn({"compare", "old", "new"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  const auto db = dir.path() / "cvn.db";
  EXPECT_EQ(queryRows(db,
                      "SELECT sessionid, filename, commentlinesinold FROM file_compare_results "
                      "ORDER BY rowid"),
            (Rows{{"1", "src/main.c", "1"},
                  {"1", "src/util.h", "0"},
                  {"2", "scripts/tool.py", "1"},
                  {"3", "build.sh", "1"},
                  {"4", "Makefile", "1"}}));
  EXPECT_EQ(queryRows(db, "SELECT sessionid, language, commentchar, multibegcomm FROM cvn_runs"),
            (Rows{{"1", "c", "//", "/*"},
                  {"2", "python", "#", ""},
                  {"3", "shell", "#", ""},
                  {"4", "make", "#", ""}}));
  EXPECT_EQ(
      queryRows(db,
                "SELECT sessionid, samefiles, deletedfiles, newfiles "
                "FROM dir_compare_results"),
      (Rows{
          {"1", "2", "0", "0"}, {"2", "1", "0", "0"}, {"3", "0", "1", "0"}, {"4", "1", "0", "0"}}));

  // The summary lists the groups in table order and counts what was left out.
  const size_t c = result.out.find("\nC ");
  const size_t python = result.out.find("\nPython ");
  const size_t shell = result.out.find("\nShell ");
  const size_t make = result.out.find("\nMakefile ");
  ASSERT_NE(make, std::string::npos) << result.out;
  EXPECT_TRUE(c < python && python < shell && shell < make) << result.out;
  EXPECT_NE(result.out.find("Left out 4 files of no known language (old 2, new 2)"),
            std::string::npos)
      << result.out;
}

TEST(LanguageGrouping, LangComparesEveryFileInOneRun) {
  TempDir dir;
  writeMixedTree(dir);
  const CvnResult result = runCvn({"compare", "old", "new", "--lang", "PYTHON"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  const auto db = dir.path() / "cvn.db";
  EXPECT_EQ(queryRows(db, "SELECT DISTINCT sessionid FROM file_compare_results"), (Rows{{"1"}}));
  EXPECT_EQ(queryRows(db, "SELECT samefiles, deletedfiles, newfiles FROM dir_compare_results"),
            (Rows{{"5", "2", "1"}}));
  // Python's "#" applies to every file: README's "# App" is a comment, main.c's "//" not.
  EXPECT_EQ(queryRows(db,
                      "SELECT commentlinesinold FROM file_compare_results "
                      "WHERE filename IN ('src/main.c', 'README.md') ORDER BY filename"),
            (Rows{{"1"}, {"0"}}));
  EXPECT_EQ(queryRows(db, "SELECT language FROM cvn_runs"), (Rows{{"python"}}));
  EXPECT_EQ(result.out.find("Left out"), std::string::npos) << result.out;
}

TEST(LanguageGrouping, HandMarkersAloneMakeOneRun) {
  TempDir dir;
  writeMixedTree(dir);
  const CvnResult result = runCvn({"compare", "old", "new", "--comment", "#"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(queryRows(dir.path() / "cvn.db",
                      "SELECT sessionid, language, commentchar, multibegcomm, multiendcomm "
                      "FROM cvn_runs"),
            (Rows{{"1", "NULL", "#", "", ""}}));
}

TEST(LanguageGrouping, HandMarkersReplaceTheLanguagesOnes) {
  TempDir dir;
  writeMixedTree(dir);
  const CvnResult result =
      runCvn({"compare", "old", "new", "--lang", "c", "--comment", "#"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(queryRows(dir.path() / "cvn.db",
                      "SELECT language, commentchar, multibegcomm, multiendcomm FROM cvn_runs"),
            (Rows{{"c", "#", "/*", "*/"}}));
}

TEST(LanguageGrouping, NoKnownFileMeansNoRun) {
  TempDir dir;
  dir.write("old/README.md", "# App\n");
  dir.mkdir("new");
  const CvnResult result = runCvn({"compare", "old", "new", "--sql"}, dir.path());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "");

  const CvnResult stored = runCvn({"compare", "old", "new"}, dir.path());
  EXPECT_EQ(stored.status, 0) << stored.err;
  EXPECT_NE(stored.out.find("No file of a known language"), std::string::npos) << stored.out;
  EXPECT_EQ(queryRows(dir.path() / "cvn.db", "SELECT COUNT(*) FROM cvn_runs"), (Rows{{"0"}}));
}

TEST(LanguageGrouping, EmptyListingsStillRunWithOneLanguage) {
  TempDir dir;
  dir.mkdir("old");
  dir.mkdir("new");
  const CvnResult result =
      runCvn({"compare", "old", "new", "--sql", "--lang", "c", "--session", "7"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(entries(result.out), (std::vector<Entry>{{"7", ""}}));
  EXPECT_NE(result.out.find("values (7,0,0,0,"), std::string::npos) << result.out;
}

}  // namespace
}  // namespace cvn::test
