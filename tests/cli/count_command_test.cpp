#include <gtest/gtest.h>

#include "run_cvn.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

// Six lines: three comment lines (one single-line, two in a block), one blank and two code
// lines, one of them with a trailing comment.
constexpr std::string_view kSource =
    "// header\nint a;\n\n/* block\n   still */\nint b; // trailing\n";

class CountCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("a.c", kSource);
    dir.write("notes.txt", kSource);
    dir.write("a,b \"q\".c", kSource);
  }
  CvnResult cvn(std::vector<std::string> args) { return runCvn(args, dir.path()); }

  TempDir dir;
};

TEST_F(CountCommand, TableWithTheLanguageOfTheName) {
  const CvnResult result = cvn({"count", "a.c"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out,
            "file:     a.c\n"
            "language: C\n"
            "\n"
            "total | comment | blank | code\n"
            "------+---------+-------+-----\n"
            "    6 |       3 |     1 |    2\n");
}

TEST_F(CountCommand, JsonWithLang) {
  const CvnResult result = cvn({"count", "notes.txt", "--lang", "C", "--format", "json"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            "{\"file\":\"notes.txt\",\"language\":\"c\",\"total\":6,\"comment\":3,\"blank\":1,"
            "\"code\":2}\n");
}

TEST_F(CountCommand, CsvWithLangOverridingTheName) {
  // Python's "#" finds no comment here.
  const CvnResult result = cvn({"count", "a.c", "--lang", "python", "--format", "csv"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "file,language,total,comment,blank,code\na.c,python,6,0,1,5\n");
}

TEST_F(CountCommand, MarkersInEveryFormat) {
  const std::vector<std::string> markers = {"--comment", "int", "--begin", "", "--end", ""};
  std::vector<std::string> args = {"count", "notes.txt"};
  args.insert(args.end(), markers.begin(), markers.end());

  CvnResult result = cvn(args);
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            "file:     notes.txt\n"
            "language: custom markers\n"
            "\n"
            "total | comment | blank | code\n"
            "------+---------+-------+-----\n"
            "    6 |       2 |     1 |    3\n");

  args.insert(args.end(), {"--format", "json"});
  result = cvn(args);
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            "{\"file\":\"notes.txt\",\"language\":null,\"total\":6,\"comment\":2,\"blank\":1,"
            "\"code\":3}\n");

  args.back() = "csv";
  result = cvn(args);
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "file,language,total,comment,blank,code\nnotes.txt,,6,2,1,3\n");
}

TEST_F(CountCommand, MarkersReplaceThoseOfTheLang) {
  // C's block markers stay, "#" replaces "//": two block lines are the only comments.
  const CvnResult result =
      cvn({"count", "a.c", "--lang", "c", "--comment", "#", "--format", "csv"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "file,language,total,comment,blank,code\na.c,c,6,2,1,3\n");
}

TEST_F(CountCommand, FileNameIsQuotedAsEachFormatNeeds) {
  CvnResult result = cvn({"count", "a,b \"q\".c", "--format", "csv"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "file,language,total,comment,blank,code\n\"a,b \"\"q\"\".c\",c,6,3,1,2\n");
  result = cvn({"count", "a,b \"q\".c", "--format", "json"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            "{\"file\":\"a,b \\\"q\\\".c\",\"language\":\"c\",\"total\":6,\"comment\":3,"
            "\"blank\":1,\"code\":2}\n");
}

TEST_F(CountCommand, NoKnownLanguageWithoutMarkersIsRefused) {
  const CvnResult result = cvn({"count", "notes.txt"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            "cvn: notes.txt: no known language; give --lang, or the markers with --comment, "
            "--begin and --end\n");
}

TEST_F(CountCommand, Failures) {
  CvnResult result = cvn({"count", "gone.c"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err.rfind("cvn: error 53: ", 0), 0u) << result.err;
  EXPECT_NE(result.err.find("gone.c"), std::string::npos) << result.err;

  result = cvn({"count", "a.c", "--lang", "klingon"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, "cvn: --lang: no language \"klingon\" (cvn count --help lists them)\n");

  result = cvn({"count", "a.c", "--format", "xml"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("--format"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace cvn::test
