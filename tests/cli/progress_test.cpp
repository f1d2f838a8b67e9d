#include <gtest/gtest.h>

#include "cvn_process.hpp"
#include "run_cvn.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

// Two C files on each side and a Python file: two runs.
void writeTree(const TempDir& dir) {
  dir.write("old/src/a.c", "int a;\n");
  dir.write("new/src/a.c", "int a2;\n");
  dir.write("old/src/b.c", "int b;\n");
  dir.write("new/src/b.c", "int b;\n");
  dir.write("old/tool.py", "x = 1\n");
  dir.write("new/tool.py", "x = 2\n");
}

// "Erase the line": the progress display's mark.
constexpr std::string_view kClearLine = "\r\x1b[K";

TEST(Progress, NothingOnStderrWhenItIsNoTerminal) {
  TempDir dir;
  writeTree(dir);
  const CvnResult stored = runCvn({"compare", "old", "new"}, dir.path());
  ASSERT_EQ(stored.status, 0) << stored.err;
  EXPECT_EQ(stored.err, "");
  const CvnResult printed = runCvn({"compare", "old", "new", "--sql"}, dir.path());
  ASSERT_EQ(printed.status, 0) << printed.err;
  EXPECT_EQ(printed.err, "");
}

TEST(Progress, ShownOnATerminalAndClearedBeforeTheSummary) {
  TempDir dir;
  writeTree(dir);
  const CvnResult result = runCvnOnTerminal({"compare", "old", "new"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.out;
  // Each run starts at nothing done and ends with every file done (two C files, compared,
  // then looked for among the new ones: four steps).
  EXPECT_NE(result.out.find("[1/2] C [....................]   0% 0/4 files  src/a.c"),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("[1/2] C [####################] 100% 4/4 files"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("[2/2] Python [....................]   0% 0/2 files  tool.py"),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("[2/2] Python [####################] 100% 2/2 files"),
            std::string::npos)
      << result.out;
  // The line is erased before the summary starts.
  const size_t summary = result.out.find("old: ");
  ASSERT_NE(summary, std::string::npos) << result.out;
  EXPECT_EQ(result.out.rfind(kClearLine, summary), summary - kClearLine.size()) << result.out;
}

TEST(Progress, QuietOnATerminalPrintsNothing) {
  TempDir dir;
  writeTree(dir);
  const CvnResult result = runCvnOnTerminal({"compare", "old", "new", "--quiet"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.out, "");
}

TEST(Progress, ChangesNoResult) {
  TempDir dir;
  writeTree(dir);
  const CvnResult plain = runCvn({"compare", "old", "new", "--sql"}, dir.path());
  const CvnResult shown = runCvnOnTerminal({"compare", "old", "new", "--sql"}, dir.path());
  ASSERT_EQ(plain.status, 0) << plain.err;
  ASSERT_EQ(shown.status, 0) << shown.out;
  // The statements follow the erased progress line.
  const size_t last = shown.out.rfind(kClearLine);
  ASSERT_NE(last, std::string::npos) << shown.out;
  std::string statements = shown.out.substr(last + kClearLine.size());
  // The terminal turns "\n" into "\r\n".
  for (size_t at = statements.find("\r\n"); at != std::string::npos;
       at = statements.find("\r\n", at)) {
    statements.erase(at, 1);
  }
  EXPECT_EQ(statements, plain.out);
}

}  // namespace
}  // namespace cvn::test
