#include <gtest/gtest.h>

#include <filesystem>

#include "run_cvn.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

namespace fs = std::filesystem;

class ListCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("src/b.h", "int b;\n");
    dir.write("src/a.c", "int a;\n");
    dir.write("src/readme.txt", "read me\n");
    dir.write("src/sub/c.C", "int c;\n");
    dir.write("src/\xE9t\xE9.c", "int e;\n");  // a Latin-1 name, not UTF-8
    dir.mkdir("empty");
    root = fs::canonical(dir.path()).string();
  }
  CvnResult cvn(std::vector<std::string> args) { return runCvn(args, dir.path()); }

  TempDir dir;
  std::string root;
};

TEST_F(ListCommand, ListsEveryFileOnePerLine) {
  const CvnResult result = cvn({"list", "src"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  // Each folder's files by name, then its subfolders; name bytes as they are.
  const std::string src = root + "/src/";
  EXPECT_EQ(result.out, src + "a.c\n" + src + "b.h\n" + src + "readme.txt\n" + src +
                            "\xE9t\xE9.c\n" + src + "sub/c.C\n");
}

TEST_F(ListCommand, MaskSelectsByEndingIgnoringCase) {
  const CvnResult result = cvn({"list", "src/*.c"});
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string src = root + "/src/";
  EXPECT_EQ(result.out, src + "a.c\n" + src + "\xE9t\xE9.c\n" + src + "sub/c.C\n");
}

TEST_F(ListCommand, AbsolutePathAndTrailingSeparator) {
  const CvnResult result = cvn({"list", root + "/src/sub/"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, root + "/src/sub/c.C\n");
}

TEST_F(ListCommand, EmptyFolderListsNothing) {
  const CvnResult result = cvn({"list", "empty"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
}

TEST_F(ListCommand, MissingFolderIs76) {
  for (const std::string typed : {"nothing", "nothing/*.c", "src/gone/"}) {
    const CvnResult result = cvn({"list", typed});
    EXPECT_EQ(result.status, 2) << typed;
    EXPECT_EQ(result.out, "") << typed;
    const std::string named = root + "/" + (typed == "src/gone/" ? "src/gone" : typed);
    EXPECT_EQ(result.err, "cvn: error 76: Path not found: " + named + "\n");
  }
}

TEST_F(ListCommand, NameWithLineBreakIsRefused) {
  dir.write("odd/one\ntwo.c", "x\n");
  const CvnResult result = cvn({"list", "odd"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "cvn: error 5: Invalid procedure call or argument: " + root +
                            "/odd/one\\ntwo.c cannot be listed: it holds a line break\n");
}

TEST_F(ListCommand, PathIsRequired) {
  const CvnResult result = cvn({"list"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("path"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace cvn::test
