#include "engine/file_pair.hpp"

#include <gtest/gtest.h>

#include <random>

#include "platform/codepage.hpp"
#include "platform/file_system.hpp"
#include "platform/text_file.hpp"
#include "support/literal_reference.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

// Two files served from memory, "/1" and "/2".
struct TwoFiles final : FileSystem {
  std::string one, two;
  TextLines readTextFile(const std::u16string& path) override {
    const std::string& text = path == u"/1" ? one : two;
    return TextLines(FileBytes(text.begin(), text.end()));
  }
  FolderListing listFolder(const std::u16string&) override { return {}; }
  bool fileExists(const std::u16string&) override { return true; }
  bool folderExists(const std::u16string&) override { return true; }
};

ComparerState cMarkers(int16_t threshold) {
  return {5, u"//", u"/*", u"*/", threshold};
}

TEST(CompareLines, EqualsTheLiteralComparison) {
  static const std::vector<std::string> pieces = {
      "a",  "b", "ab", "x = 1;", " ",      "\t",   "//",   "/*",   "*/",   "#",    "\xE9", "\x80",
      "\r", "{", "--", "A",      "X = 1;", "\xC9", "\x8A", "\x9A", "\xFF", "\xDF", "  ",   " \t "};
  static const std::vector<test::MarkerTexts> markerSets = {
      {u"//", u"/*", u"*/"},     {u"#", u"", u""},      {u"--", u"{", u"}"},
      {u"", u"/*", u""},         {u"//", u"/*", u"/*"}, {u"\u00E9", u"\u20AC", u"\r"},
      {u"\u0100", u"/*", u"*/"}, {u"; ", u" {", u"} "}};
  std::mt19937 random(20261206);
  // Half the files hold no tab, which the classification takes a shorter way through.
  auto file = [&] {
    std::string text;
    const bool tabs = random() % 2 == 0;
    for (int k = random() % 30; k > 0; --k) {
      for (int p = random() % 5; p > 0; --p) {
        const std::string& piece = pieces[random() % pieces.size()];
        if (tabs || piece.find('\t') == std::string::npos) text += piece;
      }
      text += random() % 4 == 0 ? "\r\n" : "\n";
    }
    return text;
  };
  auto decoded = [](const std::vector<std::string_view>& lines) {
    std::vector<std::u16string> text;
    for (std::string_view line : lines) text.push_back(decodeCp1252(line));
    return text;
  };
  TwoFiles files;
  const ScopedFileSystem installed(files);
  for (int round = 0; round < 3000; ++round) {
    const std::string one = file();
    const std::string two = random() % 8 == 0 ? one : file();  // unchanged files take a shortcut
    const test::MarkerTexts& m = markerSets[random() % markerSets.size()];
    const auto threshold = static_cast<int16_t>(static_cast<int>(random() % 42) - 1);
    ComparerState state{0, m.comment, m.begin, m.end, threshold};
    state.folding = {random() % 3 == 0, random() % 3 == 0};
    const auto linesOne = splitLines(one), linesTwo = splitLines(two);
    const FilePairCounts literal =
        test::literalCompare(decoded(linesOne), decoded(linesTwo), m, threshold, state.folding);
    ASSERT_EQ(compareLines(linesOne, linesTwo, state), literal) << "round " << round;
    files.one = one;
    files.two = two;
    ASSERT_EQ(countFilePair(state, u"", u"/1", u"/2").counts, literal) << "round " << round;
  }
}

// Folded, lines compare by their words, single-spaced, and by letters without case.
TEST(CompareLines, FoldingIgnoresSpacingAndCase) {
  const std::vector<std::string_view> one = {"\tint  x = 1; ", "caf\xE9 \x9A\xFF"},
                                      two = {"int x = 1;", "CAF\xC9 \x8A\x9F"};
  ComparerState state = cMarkers(0);
  for (const auto& [folding, same] : {std::pair{LineFolding{}, 0},
                                      {LineFolding{true, false}, 1},
                                      {LineFolding{false, true}, 1},
                                      {LineFolding{true, true}, 2}}) {
    state.folding = folding;
    EXPECT_EQ(compareLines(one, two, state).code.same, same);
  }
}

TEST(CompareLines, AnUnclosedCommentEndsWithItsFile) {
  const std::vector<std::string_view> one = {"/* open", "x;"}, two = {"x;"};
  const FilePairCounts counts = compareLines(one, two, cMarkers(0));
  EXPECT_EQ(counts.comment.deleted, 2);
  EXPECT_EQ(counts.code.added, 1);
}

TEST(CompareMatchedFiles, ReportAndStatement) {
  test::TempDir dir;
  // A moved block, a duplicate, a comment, blank lines, a code line that becomes a comment.
  dir.write("old/src/a.c",
            "int a;\n// note\n\nint b;\nint b;\nreturn x;\n/* block\n\n  still */\nfoo();\n");
  dir.write("new/src/a.c",
            "foo();\nint a;\n// note\nint b;\n\n\nreturn y;\n// foo();\nbrand new line here\n");
  ComparerState state = cMarkers(2);
  EXPECT_EQ(
      compareMatchedFiles(state, dir.u16("old"), dir.u16("old/src/a.c"), dir.u16("new/src/a.c")),
      u"samelines\t4\rchangedlines\t1\rdellines\t3\rnewlines\t2\r"
      u"commlinesOne\t3\rcommlinesTwo\t2\rtotallinesOne\t5\rtotallinesTwo\t5\r"
      u"filename\t/src/a.c\rblanklinesOne\t1\rblanklinesTwo\t2\r"
      u"samelines commment\t1\rsamelines code\t3\rchangedlines coment\t0\r"
      u"changedlines code\t1\rdellines comment\t2\rdellines code\t1\r"
      u"newlines comment\t1\rnewlines code\t1");
  // g and h add the blank code lines to the code lines.
  EXPECT_TRUE(
      state.strSQL.ends_with(u"values (5,'/src/a.c',2,3,4,3,1,6,7,2,1,2,1,3,0,1,2,1,1,1)|||"))
      << test::u8(state.strSQL);
  EXPECT_EQ(nameAfterRoot(u"/a.c", u"/a.c-longer"), u"");
}

}  // namespace
}  // namespace cvn
