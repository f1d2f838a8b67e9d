// Bad files and folders through cvn: missing, unreadable, link cycles, binary, huge and empty.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>

#include "bad_input_support.hpp"
#include "component/corvane.hpp"
#include "platform/error.hpp"

namespace cvn::test {
namespace {

// "line <k>" for k below count; every 100,000th line from 50,000 on gets an "x".
std::string numberedLines(int count, bool edited) {
  std::string text;
  text.reserve(static_cast<size_t>(count) * 14);
  for (int k = 0; k < count; ++k) {
    text += "line ";
    text += std::to_string(k);
    if (edited && k % 100'000 == 50'000) text += 'x';
    text += '\n';
  }
  return text;
}

class BadFilesCvn : public ::testing::Test {
 protected:
  BoundedResult cvn(const std::vector<std::string>& args, bool asNobody = false) {
    return runCvnBounded(args, dir.path(), asNobody);
  }
  TempDir dir;
};

TEST_F(BadFilesCvn, MissingRootsAreNamed) {
  dir.write("old/a.c", "int a;\n");
  const std::string root = physical(dir);
  expectCvnFailure(cvn({"compare", "old", "gone"}), "cvn: error 76: ", root + "/gone");
  expectCvnFailure(cvn({"compare", "gone/deeper/", "old", "--legacy"}),
                   "cvn: error 76: ", root + "/gone/deeper");
  EXPECT_FALSE(fs::exists(dir.path() / "cvn.db"));
}

TEST_F(BadFilesCvn, UnreadableFileWithTheLegacyComparer) {
  dir.write("old/a.c", "int a;\n");
  dir.write("new/a.c", "int b;\n");
  fs::permissions(dir.path() / "old" / "a.c", fs::perms::none);
  expectCvnFailure(cvn({"compare", "old", "new", "--sql", "--legacy"}, /*asNobody=*/true),
                   "cvn: error 70: ", physical(dir) + "/old/a.c");
}

TEST_F(BadFilesCvn, LinkCyclesFifosAndALoopAsRoot) {
  dir.write("old/a.c", "int a;\n");
  dir.write("new/a.c", "int a;\n");
  fs::create_directory_symlink("..", dir.path() / "old" / "up");
  fs::create_symlink("ping.c", dir.path() / "new" / "pong.c");
  fs::create_symlink("pong.c", dir.path() / "new" / "ping.c");
  fs::create_symlink("loop", dir.path() / "loop");
  ASSERT_EQ(::mkfifo((dir.path() / "new" / "pipe.c").c_str(), 0644), 0);
  const BoundedResult result = cvn({"compare", "old", "new", "--sql"});
  expectCvnSuccess(result);
  EXPECT_NE(result.out.find("dir_compare_results"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("values (1,1,0,0,"), std::string::npos) << result.out;
  expectCvnFailure(cvn({"compare", "loop", "new"}), "cvn: error 76: ", physical(dir) + "/loop");
}

TEST_F(BadFilesCvn, BinaryHugeAndEmptyFilesAreCompared) {
  std::mt19937 random(53);
  std::string binary(65536, '\0');
  for (char& c : binary) c = static_cast<char>(random() % 4 == 0 ? 0 : random() % 256);
  dir.write("old/bin.c", binary);
  binary[100] ^= 1;
  dir.write("new/bin.c", binary);
  std::string line(10 * 1024 * 1024, 'x');
  dir.write("old/long.c", line);
  line[42] = 'z';
  dir.write("new/long.c", line);
  dir.write("old/many.c", numberedLines(2'000'000, false));
  dir.write("new/many.c", numberedLines(2'000'000, true));
  dir.write("old/empty.c", "");
  dir.write("new/empty.c", "");
  dir.mkdir("old/nothing");
  const BoundedResult result = cvn({"compare", "old", "new", "--db", "results.db"});
  expectCvnSuccess(result);
  EXPECT_TRUE(fs::exists(dir.path() / "results.db"));
}

// Sparse, so it takes no disk; larger than any memory and any allocator's limit.
constexpr uintmax_t kHugeFileSize = uintmax_t{2} << 40;

// A file that cannot be held in memory is an error that names it, not an allocation
// failure without a name (or, under a sanitizer, an abort).
TEST_F(BadFilesCvn, FileLargerThanMemoryIsNamed) {
  dir.write("old/a.c", "int a;\n");
  dir.write("new/a.c", "");
  fs::resize_file(dir.path() / "new" / "a.c", kHugeFileSize);
  expectCvnFailure(cvn({"compare", "old", "new", "--sql"}), "cvn: error ",
                   physical(dir) + "/new/a.c");
  const std::string base = dir.path().string();
  expectChildPasses(runCheckBounded(
      [&] {
        Corvane comparer;
        const Failure f = failureOf([&] {
          comparer.compareMatchedFiles(dir.u16(), dir.u16("old/a.c"), dir.u16("new/a.c"));
        });
        return childCheck(
            f.number != 0 && f.description.find(base + "/new/a.c") != std::string::npos, 1,
            std::to_string(f.number) + " " + f.description);
      },
      /*asNobody=*/false));
}

TEST_F(BadFilesCvn, EmptyTrees) {
  dir.mkdir("old");
  dir.mkdir("new");
  for (const bool legacy : {false, true}) {
    std::vector<std::string> args = {"compare", "old", "new", "--sql"};
    if (legacy) args.push_back("--legacy");
    const BoundedResult result = cvn(args);
    expectCvnSuccess(result);
  }
  expectCvnSuccess(cvn({"compare", "old", "new", "--db", "empty.db"}));
}

}  // namespace
}  // namespace cvn::test
