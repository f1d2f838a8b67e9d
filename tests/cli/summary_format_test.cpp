#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "run_cvn.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

using Json = nlohmann::json;
using Row = std::vector<std::string>;

// A C file changed in one line, one deleted and one added.
void writeSmallTree(const TempDir& dir) {
  dir.write("old/a.c", "// add two numbers\nint add(int a, int b) {\n\n  return a + b;\n}\n");
  dir.write("new/a.c", "// add two numbers\nint add(int a, int b) {\n\n  return b + a;\n}\n");
  dir.write("old/gone.c", "int x;\n");
  dir.write("new/b.c", "/* new */\nint y;\n");
}

void writeTwoLanguageTree(const TempDir& dir) {
  writeSmallTree(dir);
  dir.write("old/tool.py", "# a tool\nprint('x')\n\n");
  dir.write("new/tool.py", "# a tool\nprint('y')\nprint('z')\n");
  dir.write("new/notes.txt", "not a language\n");
}

// The counts of one JSON entry in the order of the table's cells.
Row cellsOf(const Json& entry) {
  Row cells;
  for (const char* key : {"same", "deleted", "new"}) cells.push_back(entry["files"][key].dump());
  for (const char* group : {"code", "comments", "lines"}) {
    for (const char* key : {"same", "changed", "deleted", "new"}) {
      cells.push_back(entry[group].is_null() ? "-" : entry[group][key].dump());
    }
  }
  for (const char* key : {"old", "new"}) cells.push_back(entry["blank"][key].dump());
  return cells;
}

const std::string kCsvHeader =
    "language,key,session,files_same,files_deleted,files_new,"
    "code_same,code_changed,code_deleted,code_new,"
    "comment_same,comment_changed,comment_deleted,comment_new,"
    "all_same,all_changed,all_deleted,all_new,blank_old,blank_new\n";

TEST(SummaryFormat, CsvIsOneRowPerLanguageAndATotal) {
  TempDir dir;
  writeSmallTree(dir);
  const CvnResult result = runCvn({"compare", "old", "new", "--format", "csv"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, kCsvHeader +
                            "C,c,1,1,1,1,2,1,1,1,1,0,0,1,3,1,1,2,1,1\n"
                            "total,,,1,1,1,2,1,1,1,1,0,0,1,3,1,1,2,1,1\n");
}

TEST(SummaryFormat, CsvOfTheLegacyComparerLeavesTheSplitEmpty) {
  TempDir dir;
  writeSmallTree(dir);
  const CvnResult result =
      runCvn({"compare", "old", "new", "--legacy", "--format", "csv"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  const std::vector<std::string> lines = linesOf(result.out);
  ASSERT_EQ(lines.size(), 3u) << result.out;
  EXPECT_EQ(lines[1].rfind("C,c,1,1,1,1,,,,,,,,,", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2].rfind("total,,,1,1,1,,,,,,,,,", 0), 0u) << lines[2];
}

TEST(SummaryFormat, CsvQuotesLabelsThatNeedIt) {
  TempDir dir;
  writeSmallTree(dir);
  // Markers set by hand give the label "custom markers"; no quoting needed, no key.
  const CvnResult result =
      runCvn({"compare", "old", "new", "--comment", "#", "--format", "csv"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  const std::vector<std::string> lines = linesOf(result.out);
  ASSERT_EQ(lines.size(), 3u) << result.out;
  EXPECT_EQ(lines[1].rfind("custom markers,,1,", 0), 0u) << lines[1];
}

TEST(SummaryFormat, JsonHoldsWhatTheTableShows) {
  TempDir dir;
  writeTwoLanguageTree(dir);
  const CvnResult table = runCvn({"compare", "old", "new", "--db", "table.db"}, dir.path());
  const CvnResult json =
      runCvn({"compare", "old", "new", "--db", "json.db", "--format", "json"}, dir.path());
  ASSERT_EQ(table.status, 0) << table.err;
  ASSERT_EQ(json.status, 0) << json.err;
  EXPECT_EQ(json.err, "");

  const Json parsed = Json::parse(json.out);
  const std::string root = std::filesystem::canonical(dir.path()).string();
  EXPECT_EQ(parsed["old"], root + "/old");
  EXPECT_EQ(parsed["new"], root + "/new");
  EXPECT_EQ(parsed["database"], "json.db");
  EXPECT_EQ(parsed["sessions"], Json::parse("[1, 2]"));
  ASSERT_EQ(parsed["languages"].size(), 2u) << json.out;
  const Json& c = parsed["languages"][0];
  const Json& python = parsed["languages"][1];
  EXPECT_EQ(c["language"], "C");
  EXPECT_EQ(c["key"], "c");
  EXPECT_EQ(c["session"], 1);
  EXPECT_EQ(python["language"], "Python");
  EXPECT_EQ(python["key"], "python");
  EXPECT_EQ(python["session"], 2);
  EXPECT_EQ(cellsOf(c), summaryCells(table.out, "C")) << table.out;
  EXPECT_EQ(cellsOf(python), summaryCells(table.out, "Python")) << table.out;
  EXPECT_EQ(cellsOf(parsed["total"]), summaryCells(table.out, "total")) << table.out;
  EXPECT_EQ(parsed["unknown_files"], Json::parse(R"({"old": 0, "new": 1})"));
}

TEST(SummaryFormat, JsonOfTheLegacyComparerHasNoSplit) {
  TempDir dir;
  writeSmallTree(dir);
  const CvnResult result =
      runCvn({"compare", "old", "new", "--legacy", "--format", "json"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  const Json parsed = Json::parse(result.out);
  EXPECT_TRUE(parsed["languages"][0]["code"].is_null());
  EXPECT_TRUE(parsed["total"]["comments"].is_null());
  EXPECT_EQ(parsed["total"]["files"], Json::parse(R"({"same": 1, "deleted": 1, "new": 1})"));
}

TEST(SummaryFormat, JsonWithNothingToCompare) {
  TempDir dir;
  dir.write("old/readme.txt", "x\n");
  dir.mkdir("new");
  const CvnResult result = runCvn({"compare", "old", "new", "--format", "json"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  const Json parsed = Json::parse(result.out);
  EXPECT_EQ(parsed["sessions"], Json::array());
  EXPECT_EQ(parsed["languages"], Json::array());
  EXPECT_EQ(parsed["total"]["lines"]["same"], 0);
  EXPECT_EQ(parsed["unknown_files"]["old"], 1);
}

TEST(SummaryFormat, QuietPrintsNothingButStores) {
  TempDir dir;
  writeSmallTree(dir);
  for (const char* format : {"table", "json", "csv"}) {
    const CvnResult result =
        runCvn({"compare", "old", "new", "--quiet", "--format", format}, dir.path());
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "") << format;
    EXPECT_EQ(result.err, "") << format;
  }
  // Still stored: the next run is session 4.
  const CvnResult next = runCvn({"compare", "old", "new", "--format", "csv"}, dir.path());
  EXPECT_EQ(linesOf(next.out).at(1).rfind("C,c,4,", 0), 0u) << next.out;
}

TEST(SummaryFormat, QuietFailureStillSaysWhy) {
  TempDir dir;
  writeSmallTree(dir);
  const CvnResult result = runCvn({"compare", "old", "nothing", "--quiet"}, dir.path());
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err.rfind("cvn: error 76: ", 0), 0u) << result.err;
}

TEST(SummaryFormat, BadFormatIsRefused) {
  TempDir dir;
  writeSmallTree(dir);
  const CvnResult unknown = runCvn({"compare", "old", "new", "--format", "xml"}, dir.path());
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.out, "");
  EXPECT_NE(unknown.err.find("--format"), std::string::npos) << unknown.err;
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "cvn.db"));

  const CvnResult withSql =
      runCvn({"compare", "old", "new", "--sql", "--format", "json"}, dir.path());
  EXPECT_EQ(withSql.status, 2);
  EXPECT_NE(withSql.err.find("--sql"), std::string::npos) << withSql.err;
}

}  // namespace
}  // namespace cvn::test
