#include <gtest/gtest.h>

#include <filesystem>

#include "run_cvn.hpp"
#include "sqlite_rows.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

namespace fs = std::filesystem;

class Arguments : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("old/a.c", "// one\nint a;\n");
    dir.write("new/a.c", "// one\nint b;\n");
    root = fs::canonical(dir.path()).string();
  }
  CvnResult sql(const std::string& oldRoot, const std::string& newRoot) {
    return runCvn({"compare", oldRoot, newRoot, "--sql"}, dir.path());
  }

  TempDir dir;
  std::string root;
};

TEST_F(Arguments, RootsAreAbsoluteAndNormalHoweverTyped) {
  const CvnResult plain = sql("old", "new");
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_NE(plain.out.find("'" + root + "/old/','" + root + "/new/')|||"), std::string::npos)
      << plain.out;
  for (const auto& [oldRoot, newRoot] : std::vector<std::pair<std::string, std::string>>{
           {"./old/", "new//"},
           {"nothing/../old", "./new/."},
           {root + "//old///", root + "/./new"},
           {"old/../old/.", "new/a.c/.."},
       }) {
    const CvnResult typed = sql(oldRoot, newRoot);
    EXPECT_EQ(typed.status, 0) << oldRoot << " " << newRoot << ": " << typed.err;
    EXPECT_EQ(typed.out, plain.out) << oldRoot << " " << newRoot;
  }
}

TEST_F(Arguments, SymbolicLinksInRootsAreKept) {
  fs::create_directory_symlink("old", dir.path() / "link");
  const CvnResult result = sql("link", "new");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("'" + root + "/link/'"), std::string::npos) << result.out;
}

TEST_F(Arguments, FileNamesThatAreNotUtf8KeepTheirBytes) {
  dir.write("old/caf\xE9.c", "int c;\n");
  dir.write("new/caf\xE9.c", "int c;\n");
  const CvnResult result = sql("old", "new");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("(1,'caf\xE9.c',"), std::string::npos) << result.out;

  ASSERT_EQ(runCvn({"compare", "old", "new"}, dir.path()).status, 0);
  EXPECT_EQ(queryRows(dir.path() / "cvn.db",
                      "SELECT hex(filename) FROM file_compare_results ORDER BY rowid"),
            (Rows{{"612E63"}, {"636166E92E63"}}));
}

TEST_F(Arguments, RootsThatAreNotUtf8KeepTheirBytes) {
  dir.write("v\xFF/a.c", "int a;\n");
  const CvnResult result = sql("v\xFF", "new");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("'" + root + "/v\xFF/'"), std::string::npos) << result.out;

  const CvnResult missing = sql("w\xFE", "new");
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, "cvn: error 76: Path not found: " + root + "/w\xFE\n");
}

TEST_F(Arguments, MarkersAreDecodedFromUtf8) {
  // "§" is U+00A7, byte A7 in the code page the files are read in.
  dir.write("old/s.c", "\xA7 note\nint s;\n");
  dir.write("new/s.c", "\xA7 note\nint s;\n");
  const CvnResult result = runCvn({"compare", "old", "new", "--comment", "\xC2\xA7"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  const auto db = dir.path() / "cvn.db";
  EXPECT_EQ(queryRows(db,
                      "SELECT filename, commentlinesinold FROM file_compare_results "
                      "ORDER BY rowid"),
            (Rows{{"a.c", "0"}, {"s.c", "1"}}));
  EXPECT_EQ(queryRows(db, "SELECT hex(commentchar) FROM cvn_runs"), (Rows{{"C2A7"}}));
}

TEST_F(Arguments, MarkerStartingWithDashesNeedsTheEqualsForm) {
  dir.write("old/q.sql", "-- query\nSELECT 1;\n");
  dir.write("new/q.sql", "-- query\nSELECT 1;\n");
  const CvnResult result = runCvn({"compare", "old", "new", "--comment=--"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(queryRows(dir.path() / "cvn.db",
                      "SELECT filename, commentlinesinold FROM file_compare_results "
                      "ORDER BY rowid"),
            (Rows{{"a.c", "0"}, {"q.sql", "1"}}));
}

TEST_F(Arguments, TypeTextIsPassedAsGiven) {
  const CvnResult result =
      runCvn({"compare", "old", "new", "--sql", "--type", "count"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  // Neither "1" nor "2": only the folder statement.
  EXPECT_EQ(result.out.find("file_compare_results"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("values (1,1,0,0,"), std::string::npos) << result.out;

  ASSERT_EQ(runCvn({"compare", "old", "new", "--type", "count"}, dir.path()).status, 0);
  EXPECT_EQ(queryRows(dir.path() / "cvn.db", "SELECT comparetype FROM cvn_runs"),
            (Rows{{"count"}}));
}

}  // namespace
}  // namespace cvn::test
