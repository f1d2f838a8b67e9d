#include "engine/file_pair.hpp"

#include <gtest/gtest.h>

#include <random>

#include "engine/changed_line.hpp"
#include "engine/line_classifier.hpp"
#include "platform/codepage.hpp"
#include "platform/text_file.hpp"
#include "support/error_number.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

using test::TempDir;

// The comparer fields for tests, with the statement list they append to.
ComparerState fields() {
  return {.sessionID = 5,
          .commentChar = u"//",
          .multiBegComm = u"/*",
          .multiEndComm = u"*/",
          .diffThershold = 3};
}

// The comparison as literally described: decoded text, a linear search for
// every identical and every similar candidate.
FilePairCounts literalCompare(const std::vector<std::u16string>& one,
                              const std::vector<std::u16string>& two, const ComparerState& f) {
  struct Category {
    std::vector<std::u16string> a, b;
    int32_t blankA = 0, blankB = 0;
  };
  Category comment, code;
  LineClassifier<char16_t> classifier(textMarkers(f.commentChar, f.multiBegComm, f.multiEndComm));
  auto classify = [&](const std::vector<std::u16string>& lines, bool first) {
    bool state = false;
    for (const auto& line : lines) {
      Category& cat = classifier.isComment(line, state) ? comment : code;
      if (classifier.isBlank(line)) {
        ++(first ? cat.blankA : cat.blankB);
      } else {
        (first ? cat.a : cat.b).push_back(line);
      }
    }
  };
  classify(one, true);
  classify(two, false);
  auto compare = [&](const Category& cat) {
    CategoryCounts c;
    c.linesOne = static_cast<int32_t>(cat.a.size());
    c.linesTwo = static_cast<int32_t>(cat.b.size());
    c.blankOne = cat.blankA;
    c.blankTwo = cat.blankB;
    std::vector<bool> oldPaired(cat.a.size()), newPaired(cat.b.size());
    for (size_t i = 0; i < cat.a.size(); ++i) {
      for (size_t j = 0; j < cat.b.size(); ++j) {
        if (!newPaired[j] && cat.a[i] == cat.b[j]) {
          oldPaired[i] = newPaired[j] = true;
          ++c.same;
          break;
        }
      }
    }
    for (size_t i = 0; i < cat.a.size(); ++i) {
      if (oldPaired[i]) continue;
      for (size_t j = 0; j < cat.b.size(); ++j) {
        if (!newPaired[j] && determineChangedLine(cat.a[i], cat.b[j], f.diffThershold) != 0) {
          newPaired[j] = true;
          ++c.changed;
          break;
        }
      }
    }
    c.deleted = c.linesOne - c.same - c.changed;
    c.added = c.linesTwo - c.same - c.changed;
    return c;
  };
  return {compare(comment), compare(code)};
}

std::string randomFile(std::mt19937& random, int lines) {
  static const std::vector<std::string> pieces = {
      "a", "b", "ab", "x = 1;", " ", "\t", "//", "/*", "*/", "#", "\xE9", "\x80", "\r", "{", "--"};
  std::string text;
  for (int k = 0; k < lines; ++k) {
    const int count = static_cast<int>(random() % 5);
    for (int p = 0; p < count; ++p) text += pieces[random() % pieces.size()];
    text += random() % 4 == 0 ? "\r\n" : "\n";
  }
  return text;
}

std::vector<std::u16string> decodedLines(const std::string& text) {
  std::vector<std::u16string> lines;
  for (std::string_view line : splitLines(text)) lines.push_back(decodeCp1252(line));
  return lines;
}

TEST(CompareLines, FastPairingEqualsTheLiteralAlgorithm) {
  std::mt19937 random(20261206);
  const std::vector<std::array<std::u16string, 3>> markerSets = {
      {u"//", u"/*", u"*/"},    {u"#", u"", u""},      {u"--", u"{", u"}"},
      {u"", u"/*", u""},        {u"//", u"/*", u"/*"}, {u"\u00E9", u"\u20AC", u"\r"},
      {u"\u0100", u"/*", u"*/"}};
  for (int round = 0; round < 3000; ++round) {
    const std::string one = randomFile(random, static_cast<int>(random() % 30));
    // Now and then an unchanged file, which takes a shortcut.
    const std::string two =
        random() % 8 == 0 ? one : randomFile(random, static_cast<int>(random() % 30));
    ComparerState f = fields();
    const auto& markers = markerSets[random() % markerSets.size()];
    f.commentChar = markers[0];
    f.multiBegComm = markers[1];
    f.multiEndComm = markers[2];
    f.diffThershold = static_cast<int16_t>(static_cast<int>(random() % 42) - 1);
    const auto linesOne = splitLines(one);
    const auto linesTwo = splitLines(two);
    const FilePairCounts fast = compareLines(linesOne, linesTwo, f);
    const FilePairCounts literal = literalCompare(decodedLines(one), decodedLines(two), f);
    ASSERT_EQ(fast, literal) << "round " << round;
    for (const CategoryCounts* c : {&fast.comment, &fast.code}) {
      ASSERT_EQ(c->same + c->changed + c->deleted, c->linesOne);
      ASSERT_EQ(c->same + c->changed + c->added, c->linesTwo);
    }
  }
}

std::u16string reportValue(const std::u16string& report, std::u16string_view key) {
  size_t start = 0;
  while (start <= report.size()) {
    const size_t end = std::min(report.find(u'\r', start), report.size());
    const std::u16string_view record(report.data() + start, end - start);
    if (record.substr(0, key.size()) == key && record.size() > key.size() &&
        record[key.size()] == u'\t') {
      return std::u16string(record.substr(key.size() + 1));
    }
    start = end + 1;
  }
  return u"<missing>";
}

TEST(CompareMatchedFiles, ReportAndStatement) {
  TempDir dir;
  // Old: a moved block, a duplicate, a comment, blank lines, a code line that
  // becomes a comment. New: the block moved, one line edited, one line new.
  dir.write("old/src/a.c",
            "int a;\n// note\n\nint b;\nint b;\nreturn x;\n/* block\n\n  still */\nfoo();\n");
  dir.write("new/src/a.c",
            "foo();\nint a;\n// note\nint b;\n\n\nreturn y;\n// foo();\nbrand new line here\n");
  ComparerState f = fields();
  f.diffThershold = 2;
  const std::u16string report =
      compareMatchedFiles(f, dir.u16("old"), dir.u16("old/src/a.c"), dir.u16("new/src/a.c"));
  const std::u16string expected =
      u"samelines\t4\rchangedlines\t1\rdellines\t3\rnewlines\t2\r"
      u"commlinesOne\t3\rcommlinesTwo\t2\rtotallinesOne\t5\rtotallinesTwo\t5\r"
      u"filename\t/src/a.c\rblanklinesOne\t1\rblanklinesTwo\t2\r"
      u"samelines commment\t1\rsamelines code\t3\rchangedlines coment\t0\r"
      u"changedlines code\t1\rdellines comment\t2\rdellines code\t1\r"
      u"newlines comment\t1\rnewlines code\t1";
  EXPECT_EQ(report, expected);
  // g and h add the blank code lines to the code lines.
  EXPECT_TRUE(f.strSQL.ends_with(u"values (5,'/src/a.c',2,3,4,3,1,6,7,2,1,2,1,3,0,1,2,1,1,1)|||"))
      << test::u8(f.strSQL);
}

TEST(CompareMatchedFiles, EmptyFilesStillGiveAStatement) {
  TempDir dir;
  dir.write("a", "");
  dir.write("b", "");
  ComparerState f = fields();
  const std::u16string report = compareMatchedFiles(f, u"", dir.u16("a"), dir.u16("b"));
  EXPECT_EQ(reportValue(report, u"filename"), dir.u16("a"));
  EXPECT_EQ(reportValue(report, u"samelines"), u"0");
  EXPECT_TRUE(f.strSQL.ends_with(u"',0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0)|||"));
}

TEST(CompareMatchedFiles, NameCutByTheRootsLength) {
  TempDir dir;
  dir.write("it's.c", "x\n");
  ComparerState f = fields();
  const std::u16string file = dir.u16("it's.c");
  // A root longer than the file gives an empty name; the quote is doubled only in the statement.
  compareMatchedFiles(f, file + u"-longer", file, file);
  EXPECT_NE(f.strSQL.find(u"values (5,'',"), std::u16string::npos);
  const std::u16string report = compareMatchedFiles(f, dir.u16(), file, file);
  EXPECT_EQ(reportValue(report, u"filename"), u"/it's.c");
  EXPECT_NE(f.strSQL.find(u"'/it''s.c'"), std::u16string::npos);
}

TEST(CompareMatchedFiles, UnclosedCommentDoesNotReachTheNewFile) {
  TempDir dir;
  dir.write("old.c", "/* open\nx;\n");
  dir.write("new.c", "x;\n");
  ComparerState f = fields();
  const std::u16string report = compareMatchedFiles(f, u"", dir.u16("old.c"), dir.u16("new.c"));
  EXPECT_EQ(reportValue(report, u"commlinesOne"), u"2");
  EXPECT_EQ(reportValue(report, u"totallinesTwo"), u"1");
  EXPECT_EQ(reportValue(report, u"dellines comment"), u"2");
  EXPECT_EQ(reportValue(report, u"newlines code"), u"1");
}

TEST(CompareMatchedFiles, MissingFileLeavesTheListUnchanged) {
  TempDir dir;
  dir.write("a", "x\n");
  ComparerState f = fields();
  f.strSQL = u"kept|||";
  for (const auto& files :
       {std::pair{dir.u16("missing"), dir.u16("a")}, std::pair{dir.u16("a"), dir.u16("missing")}}) {
    std::string description;
    EXPECT_EQ(test::errorNumberOf([&] { compareMatchedFiles(f, u"", files.first, files.second); },
                                  &description),
              kFileNotFound);
    EXPECT_NE(description.find("missing"), std::string::npos);
    EXPECT_EQ(f.strSQL, u"kept|||");
  }
}

}  // namespace
}  // namespace cvn
