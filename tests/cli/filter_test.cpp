#include <gtest/gtest.h>

#include "run_cvn.hpp"
#include "sqlite_rows.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

class Filters : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* side : {"old", "new"}) {
      const std::string root = side;
      dir.write(root + "/main.c", "int main(void) { return 0; }\n");
      dir.write(root + "/util.h", "int util(void);\n");
      dir.write(root + "/tool.py", "print(1)\n");
      dir.write(root + "/build/gen.c", "int gen;\n");
      dir.write(root + "/src/build/deep.c", "int deep;\n");
      dir.write(root + "/src/builder/kept.c", "int kept;\n");
      dir.write(root + "/vendor/lib/x.c", "int x;\n");
    }
    dir.write("new/src/added.c", "int added;\n");
  }
  // The file names one run stores, in order; each run gets a database of its own.
  Rows stored(const std::vector<std::string>& extra) {
    const std::string db = "f" + std::to_string(++runs_) + ".db";
    std::vector<std::string> args = {"compare", "old", "new", "--db", db};
    args.insert(args.end(), extra.begin(), extra.end());
    const CvnResult result = runCvn(args, dir.path());
    EXPECT_EQ(result.status, 0) << result.err;
    return queryRows(dir.path() / db,
                     "SELECT filename FROM file_compare_results ORDER BY filename");
  }

  TempDir dir;
  int runs_ = 0;
};

TEST_F(Filters, MatchKeepsFilesWhoseNameMatchesOnePattern) {
  EXPECT_EQ(stored({"--match", "*.h", "--match", "m*.c"}), (Rows{{"main.c"}, {"util.h"}}));
  EXPECT_EQ(stored({"--match", "*.py"}), (Rows{{"tool.py"}}));
  // The pattern is matched against the name, not the path.
  EXPECT_EQ(stored({"--match", "src/*"}), Rows{});
}

TEST_F(Filters, ExcludeDirSkipsFoldersOfThatNameAtAnyDepth) {
  EXPECT_EQ(stored({"--exclude-dir", "build", "--exclude-dir", "vendor"}),
            (Rows{{"main.c"}, {"src/added.c"}, {"src/builder/kept.c"}, {"tool.py"}, {"util.h"}}));
}

TEST_F(Filters, BothTogetherAndPositionalsAfterThem) {
  const CvnResult result =
      runCvn({"compare", "--match", "*.c", "--exclude-dir", "src", "old", "new", "--format", "csv"},
             dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  // main.c, build/gen.c, vendor/lib/x.c: three same files, nothing new.
  EXPECT_EQ(linesOf(result.out).at(1).rfind("C,c,1,3,0,0,", 0), 0u) << result.out;
}

TEST_F(Filters, FilteredOutFilesAreNotCountedAsUnknown) {
  const CvnResult result = runCvn({"compare", "old", "new", "--match", "*.c"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out.find("Left out"), std::string::npos) << result.out;
}

}  // namespace
}  // namespace cvn::test
