#include "tree/file_mask.hpp"

#include <gtest/gtest.h>

#include "support/error_number.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

struct MaskCase {
  std::u16string root;
  std::u16string directory;
  std::u16string suffix;
  bool seen;
};

// Roots that name no existing folder are split by their last component.
TEST(StripFileMask, SplitsTheLastComponent) {
  const std::vector<MaskCase> cases = {
      {u"C:\\src\\*.java", u"C:\\src\\", u"java", true},
      {u"C:\\src\\lib.old", u"C:\\src\\", u"old", true},
      {u"C:\\src\\*.*", u"C:\\src\\", u"*", true},
      {u"C:\\src\\x*", u"C:\\src\\", u"*", true},
      {u"C:\\src\\*", u"C:\\src\\*", u"*", false},
      {u"C:\\src", u"C:\\src", u"src", false},
      {u"C:\\src\\", u"C:\\src\\", u"", false},
      {u"C:\\src\\readme.txt", u"C:\\src\\", u"txt", true},
      {u"C:\\src\\notes.", u"C:\\src\\", u"", true},
      {u"/no/such/dir/*.c", u"/no/such/dir/", u"c", true},
      {u"/no/such/dir/", u"/no/such/dir/", u"", false},
      {u"/", u"/", u"", false},
  };
  for (const MaskCase& c : cases) {
    const MaskedRoot r = stripFileMask(c.root);
    EXPECT_EQ(r.directory, c.directory) << test::u8(c.root);
    EXPECT_EQ(r.maskSuffix, c.suffix) << test::u8(c.root);
    EXPECT_EQ(r.maskSeen, c.seen) << test::u8(c.root);
  }
}

TEST(StripFileMask, ExistingFoldersAreNeverMasks) {
  test::TempDir dir;
  dir.mkdir("proj-1.2");
  const MaskedRoot versioned = stripFileMask(dir.u16("proj-1.2"));
  EXPECT_EQ(versioned.directory, dir.u16("proj-1.2"));
  EXPECT_FALSE(versioned.maskSeen);
  EXPECT_EQ(stripFileMask(u".").directory, u".");
}

TEST(StripFileMask, NoSeparatorIsInvalid) {
  EXPECT_EQ(test::errorNumberOf([] { stripFileMask(u"no-such-src"); }), kInvalidArgument);
  EXPECT_EQ(test::errorNumberOf([] { stripFileMask(u""); }), kInvalidArgument);
  EXPECT_EQ(test::errorNumberOf([] { stripFileMask(u"*.c"); }), kInvalidArgument);
}

}  // namespace
}  // namespace cvn
