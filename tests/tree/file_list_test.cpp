#include "tree/file_list.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/error.hpp"
#include "support/as_nobody.hpp"
#include "support/error_number.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

using test::TempDir;

class FileListTest : public ::testing::Test {
 protected:
  ComparerState state;
  TempDir dir;
};

TEST_F(FileListTest, DepthFirstPreOrder) {
  dir.write("root.c", "");
  dir.write("A/a.c", "");
  dir.write("A/A1/a1.java", "");
  dir.write("B/b.JAVA", "");
  dir.write("B/bjava", "");
  const std::u16string r = dir.u16();
  EXPECT_EQ(getFileList(state, r), r + u"/root.c\r" + r + u"/A/a.c\r" + r + u"/A/A1/a1.java\r" + r +
                                       u"/B/b.JAVA\r" + r + u"/B/bjava");
  EXPECT_EQ(state.strFolderList, r + u"\r" + r + u"/A\r" + r + u"/A/A1\r" + r + u"/B\r");
  EXPECT_EQ(state.strScanRoot, r);
  // A mask selects by the end of the path, in any case, without needing a ".".
  EXPECT_EQ(getFileList(state, r + u"/*.java"),
            r + u"/A/A1/a1.java\r" + r + u"/B/b.JAVA\r" + r + u"/B/bjava");
  EXPECT_EQ(state.strScanRoot, r + u"/");
  EXPECT_EQ(getFileList(state, r + u"/*.*"), getFileList(state, r));
  EXPECT_EQ(getFileList(state, r + u"/notes."), getFileList(state, r));
}

TEST_F(FileListTest, MasksUpperCaseBeyondAscii) {
  dir.write("x.\u00E9t\u00E9", "");  // lower-case e acute
  dir.write("y.stra\u00DFe", "");    // sharp s has no one-character capital
  const std::u16string r = dir.u16();
  EXPECT_EQ(getFileList(state, r + u"/*.\u00C9T\u00C9"), r + u"/x.\u00E9t\u00E9");
  EXPECT_EQ(getFileList(state, r + u"/*.STRASSE"), u"");
  EXPECT_EQ(getFileList(state, r + u"/*.STRA\u00DFE"), r + u"/y.stra\u00DFe");
}

TEST_F(FileListTest, EmptyMissingAndSingle) {
  dir.mkdir("empty/sub");
  dir.write("one/only.c", "");
  EXPECT_EQ(getFileList(state, dir.u16("empty")), u"");
  EXPECT_EQ(getFileList(state, dir.u16("one")), dir.u16("one/only.c"));
  EXPECT_EQ(getFileList(state, dir.u16("missing")), u"1");
  EXPECT_EQ(state.strFolderList, u"");
  EXPECT_EQ(getFileList(state, dir.u16("one") + u"/*"), u"1");  // the folder "one/*"
  EXPECT_EQ(test::errorNumberOf([&] { getFileList(state, u"no-such-folder"); }), kInvalidArgument);
}

TEST_F(FileListTest, VersionedFolderAndNamesKeptAsTheyAre) {
  dir.write("proj-1.2/src/main.c ", "");
  dir.write("proj-1.2/lib.old/x.c", "");
  const std::u16string r = dir.u16("proj-1.2");
  EXPECT_EQ(getFileList(state, r), r + u"/lib.old/x.c\r" + r + u"/src/main.c ");
  const auto files = listFiles(state, r);
  ASSERT_TRUE(files.has_value());
  EXPECT_EQ(files->size(), 2u);
}

TEST_F(FileListTest, LinkCycleEnds) {
  dir.write("a/f.c", "");
  ASSERT_EQ(symlink("..", (dir.path() / "a" / "up").c_str()), 0);
  EXPECT_EQ(getFileList(state, dir.u16()), dir.u16("a/f.c"));
}

TEST_F(FileListTest, ScanDirFormats) {
  dir.write("s/t/x.c", "");
  const std::u16string r = dir.u16("s");
  state.strScanRoot = r + u"/";
  scanDir(state, r, u"2");
  EXPECT_EQ(state.strFolderList, u"\r" + r + u"/t\r");
  scanDir(state, r, u"3");  // any other number records full paths
  EXPECT_EQ(state.strFolderList, u"\r" + r + u"/t\r" + r + u"\r" + r + u"/t\r");
  EXPECT_EQ(test::errorNumberOf([&] { scanDir(state, r, u"two"); }), kTypeMismatch);
  EXPECT_EQ(test::errorNumberOf([&] { scanDir(state, r, u""); }), kTypeMismatch);
  EXPECT_EQ(test::errorNumberOf([&] { scanDir(state, dir.u16("none"), u"1"); }), kPathNotFound);
}

TEST_F(FileListTest, UnreadableFolderStopsTheScanKeepingWhatWasFound) {
  dir.write("a/ok.c", "");
  dir.write("b/locked/x.c", "");
  ASSERT_EQ(chmod((dir.path() / "b" / "locked").c_str(), 0), 0);
  const std::u16string r = dir.u16();
  const int result = test::runAsNobody([&] {
    const int32_t number = test::errorNumberOf([&] { getFileList(state, r); });
    const bool kept = state.strFolderList == r + u"\r" + r + u"/a\r" + r + u"/b\r";
    return kept ? number : 255;
  });
  EXPECT_EQ(result, kPermissionDenied);
}

TEST_F(FileListTest, ExistenceTests) {
  dir.write("f.c", "");
  EXPECT_EQ(checkFileExists(dir.u16("f.c")), 1);
  EXPECT_EQ(checkFileExists(dir.u16("g.c")), 0);
  EXPECT_EQ(checkDirExists(dir.u16()), 1);
  EXPECT_EQ(checkDirExists(dir.u16("f.c")), 0);
}

}  // namespace
}  // namespace cvn
