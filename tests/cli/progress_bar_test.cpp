// The bar follows the bytes read when it knows them, else the files.
#include "compare/progress_bar.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include "compare/run_bytes.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

TEST(ProgressBar, AdvancesByBytesWhenKnown) {
  struct Case {
    int64_t done, total;
    uint64_t bytesDone, bytesTotal;
    const char* shown;
  };
  for (const Case& c : {Case{1, 3, 104, 128, "[################....]  81% 1/3 files"},
                        Case{1, 3, 0, 0, "[######..............]  33% 1/3 files"},
                        Case{3, 3, 0, 128, "[####################] 100% 3/3 files"}}) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    {
      cli::ProgressBar bar(fds[1], true);
      bar.update("C", c.done, c.total, u"", c.bytesDone, c.bytesTotal);
    }
    ::close(fds[1]);
    char text[512] = {};
    EXPECT_GT(::read(fds[0], text, sizeof text - 1), 0);
    ::close(fds[0]);
    EXPECT_NE(std::string(text).find(c.shown), std::string::npos) << text;
  }
}

// A pair weighs both its files, a file on one side its own bytes.
TEST(ProgressBar, RunBytesWeighPairsAndSingleFiles) {
  TempDir dir;
  dir.write("o/a.c", "12345");
  dir.write("n/a.c", "123");
  dir.write("o/gone.c", "1");
  dir.write("n/new.c", "12");
  cli::RunPlan plan;
  plan.runs.push_back({"C",
                       "c",
                       {},
                       {dir.u16("o/a.c"), dir.u16("o/gone.c")},
                       {dir.u16("n/a.c"), dir.u16("n/new.c")}});
  const cli::RunBytes bytes(plan, dir.u16("o"), dir.u16("n"));
  EXPECT_EQ(bytes.total(0), 11u);
  EXPECT_EQ(bytes.ofFile(dir.u16("o/a.c")), 8u);
  EXPECT_EQ(bytes.ofFile(dir.u16("o/gone.c")), 1u);
  EXPECT_EQ(bytes.ofFile(dir.u16("n/new.c")), 2u);
}

}  // namespace
}  // namespace cvn::test
