// The bar follows the bytes read when it knows them, else the files.
#include "compare/progress_bar.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

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

}  // namespace
}  // namespace cvn::test
