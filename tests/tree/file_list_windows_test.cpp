// A folder tree listed on Windows: the same files, folders and order as on
// POSIX, joined with "\".
#include <gtest/gtest.h>

#include "support/temp_dir.hpp"
#include "tree/file_list.hpp"
#include "tree/file_mask.hpp"
#include "tree/file_matching.hpp"

namespace cvn {
namespace {

using test::TempDir;

class WindowsFileListTest : public ::testing::Test {
 protected:
  ComparerState state;
  TempDir dir;
};

TEST_F(WindowsFileListTest, DepthFirstPreOrderWithBackslashes) {
  dir.write("root.c", "");
  dir.write("A/a.c", "");
  dir.write("A/A1/a1.java", "");
  dir.write("B/b.JAVA", "");
  dir.write("B/bjava", "");
  dir.mkdir("C/empty");
  const std::u16string r = dir.u16();
  const auto files = listFiles(state, r);
  ASSERT_TRUE(files.has_value());
  EXPECT_EQ(*files,
            (std::vector<std::u16string>{r + u"\\root.c", r + u"\\A\\a.c", r + u"\\A\\A1\\a1.java",
                                         r + u"\\B\\b.JAVA", r + u"\\B\\bjava"}));
  EXPECT_EQ(state.strFolderList, r + u"\r" + r + u"\\A\r" + r + u"\\A\\A1\r" + r + u"\\B\r" + r +
                                     u"\\C\r" + r + u"\\C\\empty\r");
  // A mask after either separator.
  for (const std::u16string separator : {u"\\", u"/"}) {
    EXPECT_EQ(getFileList(state, r + separator + u"*.java"),
              r + u"\\A\\A1\\a1.java\r" + r + u"\\B\\b.JAVA\r" + r + u"\\B\\bjava");
    EXPECT_EQ(state.strScanRoot, r + separator);
  }
}

// The platform's separator ends a root that has none, so relative paths of
// both trees line up whichever separator the caller used.
TEST(WindowsSeparator, RootsEndInABackslash) {
  EXPECT_EQ(kPathSeparator, u'\\');
  EXPECT_EQ(withTrailingSeparator(u"C:\\old"), u"C:\\old\\");
  EXPECT_EQ(withTrailingSeparator(u"C:\\old/"), u"C:\\old/");
  EXPECT_EQ(withTrailingSeparator(u"C:\\old\\"), u"C:\\old\\");
  TempDir dir;
  dir.write("old/x/a.c", "");
  dir.write("new/x/a.c", "");
  ComparerState state;
  const auto oldFiles = listFiles(state, dir.u16("old"));
  const auto newFiles = listFiles(state, dir.u16("new"));
  ASSERT_TRUE(oldFiles && newFiles);
  ASSERT_EQ(oldFiles->size(), 1u);
  ASSERT_EQ(newFiles->size(), 1u);
  EXPECT_EQ(matchFiles(dir.u16("old"), dir.u16("new"), oldFiles->front(), newFiles->front()), 1);
}

}  // namespace
}  // namespace cvn
