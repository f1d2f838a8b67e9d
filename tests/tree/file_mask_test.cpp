#include "tree/file_mask.hpp"

#include <gtest/gtest.h>

#include "support/error_number.hpp"
#include "support/temp_dir.hpp"
#include "tree/file_list.hpp"
#include "tree/file_matching.hpp"
#include "tree/physical_count.hpp"

namespace cvn {
namespace {

// A root that names no existing folder is split at its last separator: a last component with a
// "." or ending in "*" after other characters is a mask. Below "C:\src\": the suffix a path
// must end with and whether a mask was seen (else the root is the folder).
TEST(Roots, MasksAndMatching) {
  const std::vector<std::tuple<std::u16string, std::u16string, bool>> cases = {
      {u"*.java", u"java", true}, {u"lib.old", u"old", true}, {u"*.*", u"*", true},
      {u"x*", u"*", true},        {u"*", u"*", false},        {u"src", u"src", false},
      {u"", u"", false},          {u"notes.", u"", true}};
  for (const auto& [name, suffix, seen] : cases) {
    const MaskedRoot r = stripFileMask(u"C:\\src\\" + name);
    EXPECT_EQ(std::tuple(r.directory, r.maskSuffix, r.maskSeen),
              std::tuple(u"C:\\src\\" + (seen ? u"" : name), suffix, seen))
        << test::u8(name);
  }
  EXPECT_EQ(stripFileMask(u"/no/dir/*.c").directory + stripFileMask(u"/").directory, u"/no/dir//");
  test::TempDir dir;  // an existing folder is never a mask
  dir.mkdir("proj-1.2");
  EXPECT_EQ(stripFileMask(dir.u16("proj-1.2")).directory, dir.u16("proj-1.2"));
  EXPECT_EQ(test::errorNumberOf([] { stripFileMask(u"no-such-src"); }), kInvalidArgument);
  // Files match by their paths after their roots, compared exactly; only a root's length
  // counts, taken with a separator at its end.
  using S = std::u16string;
  const std::vector<std::tuple<S, S, S, S, int>> matches = {
      {u"/o", u"/n/", u"/o/a/b", u"/n/a/b", 1}, {u"/o", u"/n/", u"/o/a/b", u"/n/A/b", 0},
      {u"/o", u"/n", u"/z/a/b", u"/n/a/b", 1},  {u"C:\\o\\", u"/n/", u"C:\\o\\a", u"/n/a", 1},
      {u"/o//", u"/n/", u"/o//a", u"/n/a", 1},  {u"/o", u"/n", u"/o", u"/n", 1},
      {u"", u"", u"/a.c", u"xa.c", 1},          {u"/o", u"/n", u"/o/a.c", u"/n/a.cc", 0}};
  for (const auto& [rootOne, rootTwo, one, two, match] : matches) {
    EXPECT_EQ(matchFiles(rootOne, rootTwo, one, two), match) << test::u8(one);
  }
  // Listed paths and roots given either way line up, whatever the platform's separator.
  for (const char* name : {"old/x/a.c", "new/x/a.c"}) dir.write(name, "");
  ComparerState state;
  const auto one = listFiles(state, dir.u16("old")), two = listFiles(state, dir.u16("new/"));
  EXPECT_EQ(matchFiles(dir.u16("old"), dir.u16("new/"), one->front(), two->front()), 1);
}

// Eight lines: a blank line inside a comment counts once, as a comment line, so six comment
// lines, one blank, one code line. The statement's values for each type of file.
TEST(PhysicalCountOnly, ValuesPerFileType) {
  test::TempDir dir;
  dir.write("src/f.c", "/*\n\n*/\nx;\n\n/* open\n  \ny");
  const std::vector<std::pair<int16_t, std::u16string>> cases = {
      {kCountedFile, u"3,'/f.c',0,0,8,6,0,1,0,0,1,0,0,0,0,0,0,0,0,0)|||"},
      {kNewFile, u"3,'/f.c',7,0,0,0,0,0,7,6,0,1,0,0,0,0,0,0,6,1)|||"},
      {kDeletedFile, u"3,'/f.c',0,7,0,6,0,7,0,0,1,0,0,0,0,0,6,1,0,0)|||"},
      {3, u""}};
  for (const auto& [type, values] : cases) {
    ComparerState state{3, u"//", u"/*", u"*/", 0, 0, u"values ("};
    EXPECT_EQ(physicalCountOnly(state, dir.u16("src"), dir.u16("src/f.c"), type), u"");
    EXPECT_EQ(state.strSQL.substr(state.strSQL.rfind(u"values (") + 8), values) << type;
  }
}

}  // namespace
}  // namespace cvn
