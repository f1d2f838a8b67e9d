#include "legacy/legacy_file_pair.hpp"

#include <gtest/gtest.h>

#include <random>

#include "legacy/legacy_counters.hpp"
#include "platform/codepage.hpp"
#include "platform/text_file.hpp"
#include "support/error_number.hpp"
#include "support/literal_reference.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

// The fast pairing equals the literal one, whose similar lines the earlier changed-line test
// decides; every old line, paired or not, may take one similar new line.
TEST(LegacyCompareLines, EqualsTheLiteralPairing) {
  static const std::vector<std::string> pieces = {"a",  "b",    "ab",   " ",  "\t", "//",  "/*",
                                                  "*/", "\xE9", "\x80", "x;", "A",  "\xC9"};
  std::mt19937 random(5150);
  auto file = [&](std::vector<std::u16string>& text) {
    std::string bytes;
    for (int k = random() % 25; k > 0; --k, bytes += '\n')
      for (int p = random() % 4; p > 0; --p) bytes += pieces[random() % pieces.size()];
    for (std::string_view line : splitLines(bytes)) text.push_back(decodeCp1252(line));
    return bytes;
  };
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::u16string> textOne, textTwo;
    const std::string one = file(textOne), two = file(textTwo);
    ComparerState state{0, u"//", u"/*", u"*/",
                        static_cast<int16_t>(static_cast<int>(random() % 42) - 1)};
    state.folding = {random() % 3 == 0, random() % 3 == 0};
    const LegacyCounts n = legacyCompareLines(splitLines(one), splitLines(two), state);
    ASSERT_EQ(n.totalOne + n.commentOne + n.blankOne, static_cast<int32_t>(textOne.size()));
    for (auto* text : {&textOne, &textTwo}) {
      for (std::u16string& line : *text) line = test::literalFold(line, state.folding);
    }
    const auto similar = [&](const std::u16string& a, const std::u16string& b) {
      return determineChangedLine_old(a, b, state.diffThershold) == 1;
    };
    ASSERT_EQ((test::LegacyPairing{n.same, n.changed, n.deleted, n.added}),
              test::literalLegacyPairing(textOne, textTwo, similar));
  }
  ComparerState state{.diffThershold = 2};  // "abc", paired with "abc", takes "abd" too
  const std::vector<std::string_view> one = {"abc"}, two = {"abc", "abd"};
  EXPECT_EQ(legacyCompareLines(one, two, state).changed, 1);
}

// Lines, then comment lines, blank lines inside comments, blank lines.
TEST(LegacyCounters, CommentAndBlankLines) {
  const std::vector<std::tuple<std::vector<std::string_view>, int32_t, int32_t, int32_t>> cases = {
      {{"/* a", "b", "", "c", "*/"}, 5, 1, 1}, {{"x; // see /* here", "y;"}, 1, 0, 0},
      {{"\t// c", "x; // c"}, 1, 0, 0},        {{"x; /* a", "b", "c */"}, 2, 0, 0},
      {{"/* a", "b */ x;", "// c"}, 2, 0, 0},  {{"/* a */", "/* a */ x;", "x /* a */"}, 1, 0, 0},
      {{"/* a", "// b", "", "c"}, 4, 1, 1},    {{"//* x", "y"}, 1, 0, 0},
      {{"", "  ", "x", "\t"}, 0, 0, 3}};
  for (const auto& [lines, comments, blankInComments, blanks] : cases) {
    int32_t blankInComment = -1;
    EXPECT_EQ(legacyCommentLines(lines, byteMarkers(u"//", u"/*", u"*/"), blankInComment), comments)
        << lines[0];
    EXPECT_EQ(blankInComment, blankInComments) << lines[0];
    EXPECT_EQ(legacyBlankLines(lines), blanks) << lines[0];
  }
  // Without an end marker no continuation is examined; empty markers count nothing.
  const std::vector<std::string_view> lines = {"/* a", "b", "/*", "x /* y"};
  int32_t blank = 0;
  EXPECT_EQ(legacyCommentLines(lines, byteMarkers(u"//", u"/*", u""), blank), 2);
  EXPECT_EQ(legacyCommentLines(lines, byteMarkers(u"", u"", u""), blank), 0);
  EXPECT_EQ(legacyCommentLines(lines, byteMarkers(u"b", u"", u""), blank), 1);
  // calBlankLines normalises the caller's array.
  StringArray array = StringArray::fromVector({u"a", u"\t\t", u"  ", u"", u" \tx y\t "});
  EXPECT_EQ(legacyCalBlankLines(array), 3);
  EXPECT_EQ(array, StringArray::fromVector({u"a", u"", u"", u"", u"x y"}));
  StringArray none;
  EXPECT_EQ(test::errorNumberOf([&] { legacyCalBlankLines(none); }), kSubscriptOutOfRange);
}

// The report, the statement and the state the second file's counter leaves; an unclosed
// comment ends with its file.
TEST(LegacyCompareMatchedFiles, ReportAndStatement) {
  test::TempDir dir;
  dir.write("old/a.c", "/* head\n\n*/\nint a;\n\nint b;\n/* open\n");
  dir.write("new/a.c", "int a;\nint c;\n// new\n");
  ComparerState state{8, u"//", u"/*", u"*/", 2, 0, u"", u"", u"", -1};
  EXPECT_EQ(
      legacyCompareMatchedFiles(state, dir.u16("old"), dir.u16("old/a.c"), dir.u16("new/a.c")),
      u"samelines\t1\rchangedlines\t1\rdellines\t6\rnewlines\t1\rcommlinesOne\t4\r"
      u"commlinesTwo\t1\rtotallinesOne\t2\rtotallinesTwo\t2");
  EXPECT_EQ(state.blankInMultiComm, 0);
  EXPECT_TRUE(state.strSQL.ends_with(u"values (8,'/a.c',1,6,1,4,1,2,2,1,1,0)|||"))
      << test::u8(state.strSQL);
  EXPECT_EQ(legacyPhysicalCountOnly(state, u"", dir.u16("old/a.c")), u"");
  EXPECT_EQ(state.blankInMultiComm, 1);
  EXPECT_TRUE(state.strSQL.ends_with(u"',0,0,7,4,0,2,0,0,1,0)|||")) << test::u8(state.strSQL);
}

}  // namespace
}  // namespace cvn
