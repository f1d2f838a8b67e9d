#include "tree/physical_count.hpp"

#include <gtest/gtest.h>

#include "support/error_number.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

ComparerState fields() {
  return {.sessionID = 3,
          .commentChar = u"//",
          .multiBegComm = u"/*",
          .multiEndComm = u"*/",
          .diffThershold = 0};
}

std::u16string valuesOf(const std::u16string& sql) {
  const size_t open = sql.rfind(u"values (");
  return sql.substr(open + 8, sql.size() - open - 8 - 4);
}

struct TypeCase {
  int16_t type;
  std::u16string values;
};

// One code line, one blank line, one comment line.
TEST(PhysicalCountOnly, ColumnsPerFileType) {
  test::TempDir dir;
  dir.write("src/f.c", "x = 1;\n\n// note");
  const std::vector<TypeCase> cases = {
      {kCountedFile, u"3,'/f.c',0,0,3,1,0,1,0,0,1,0,0,0,0,0,0,0,0,0"},
      {kNewFile, u"3,'/f.c',2,0,0,0,0,0,2,1,0,1,0,0,0,0,0,0,1,1"},
      {kDeletedFile, u"3,'/f.c',0,2,0,1,0,2,0,0,1,0,0,0,0,0,1,1,0,0"},
  };
  for (const TypeCase& c : cases) {
    ComparerState f = fields();
    EXPECT_EQ(physicalCountOnly(f, dir.u16("src"), dir.u16("src/f.c"), c.type), u"");
    EXPECT_EQ(valuesOf(f.strSQL), c.values) << c.type;
  }
}

TEST(PhysicalCountOnly, OtherTypesAppendNothing) {
  test::TempDir dir;
  dir.write("f.c", "x\n");
  for (int16_t type : {int16_t{3}, int16_t{-1}}) {
    ComparerState f = fields();
    EXPECT_EQ(physicalCountOnly(f, u"", dir.u16("f.c"), type), u"");
    EXPECT_EQ(f.strSQL, u"");
  }
}

TEST(PhysicalCountOnly, EmptyFileAndMissingFile) {
  test::TempDir dir;
  dir.write("empty", "");
  ComparerState f = fields();
  physicalCountOnly(f, dir.u16("empty") + u"x", dir.u16("empty"), kDeletedFile);
  EXPECT_EQ(valuesOf(f.strSQL), u"3,'',0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(test::errorNumberOf([&] { physicalCountOnly(f, u"", dir.u16("missing"), kNewFile); }),
            kFileNotFound);
  EXPECT_EQ(test::errorNumberOf([&] { physicalCountOnly(f, u"", u"", 0); }), kFileNotFound);
  EXPECT_EQ(f.strSQL.find(u"insert", 1), std::u16string::npos);  // still one statement
}

TEST(CountPhysicalLines, BlankLinesInsideACommentCountOnce) {
  ComparerState f = fields();
  const std::vector<std::string_view> lines = {"/*", "", "*/", "x;", "", "/* open", "  ", "y"};
  const PhysicalCounts n = countPhysicalLines(lines, f);
  EXPECT_EQ(n, (PhysicalCounts{8, 6, 1, 1}));
  EXPECT_EQ(n.total, n.comment + n.blank + n.code);
}

}  // namespace
}  // namespace cvn
