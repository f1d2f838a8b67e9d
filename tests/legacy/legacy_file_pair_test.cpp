#include "legacy/legacy_file_pair.hpp"

#include <gtest/gtest.h>

#include <random>

#include "engine/changed_line.hpp"
#include "legacy/legacy_counters.hpp"
#include "platform/codepage.hpp"
#include "platform/text_file.hpp"
#include "support/error_number.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

ComparerState fields() {
  return {.sessionID = 8,
          .commentChar = u"//",
          .multiBegComm = u"/*",
          .multiEndComm = u"*/",
          .diffThershold = 2};
}

struct Pairing {
  int32_t same = 0, changed = 0, deleted = 0, added = 0;
  friend bool operator==(const Pairing&, const Pairing&) = default;
};

// The legacy pairing as literally described, on decoded text.
Pairing literalPairing(const std::vector<std::u16string>& one,
                       const std::vector<std::u16string>& two, int16_t threshold) {
  Pairing p;
  std::vector<bool> oldInPair(one.size()), newPaired(two.size());
  for (size_t k = 0; k < one.size(); ++k) {
    for (size_t j = 0; j < two.size(); ++j) {
      if (!newPaired[j] && one[k] == two[j]) {
        newPaired[j] = oldInPair[k] = true;
        ++p.same;
        break;
      }
    }
  }
  for (size_t k = 0; k < one.size(); ++k) {
    for (size_t j = 0; j < two.size(); ++j) {
      if (!newPaired[j] && determineChangedLine_old(one[k], two[j], threshold) == 1) {
        newPaired[j] = oldInPair[k] = true;
        ++p.changed;
        break;
      }
    }
  }
  p.deleted = static_cast<int32_t>(std::count(oldInPair.begin(), oldInPair.end(), false));
  p.added = static_cast<int32_t>(std::count(newPaired.begin(), newPaired.end(), false));
  return p;
}

std::string randomFile(std::mt19937& random) {
  static const std::vector<std::string> pieces = {"a",  "b",  "ab",   " ",    "\t", "//",
                                                  "/*", "*/", "\xE9", "\x80", "x;"};
  std::string text;
  const int lines = static_cast<int>(random() % 25);
  for (int k = 0; k < lines; ++k) {
    const int count = static_cast<int>(random() % 4);
    for (int p = 0; p < count; ++p) text += pieces[random() % pieces.size()];
    text += '\n';
  }
  return text;
}

TEST(LegacyCompareLines, FastPairingEqualsTheLiteralAlgorithm) {
  std::mt19937 random(5150);
  for (int round = 0; round < 3000; ++round) {
    const std::string one = randomFile(random);
    const std::string two = randomFile(random);
    ComparerState f = fields();
    f.diffThershold = static_cast<int16_t>(static_cast<int>(random() % 42) - 1);
    const auto linesOne = splitLines(one);
    const auto linesTwo = splitLines(two);
    const LegacyCounts fast = legacyCompareLines(linesOne, linesTwo, f);
    std::vector<std::u16string> textOne, textTwo;
    for (auto line : linesOne) textOne.push_back(decodeCp1252(line));
    for (auto line : linesTwo) textTwo.push_back(decodeCp1252(line));
    const Pairing literal = literalPairing(textOne, textTwo, f.diffThershold);
    ASSERT_EQ((Pairing{fast.same, fast.changed, fast.deleted, fast.added}), literal)
        << "round " << round;
    ASSERT_EQ(fast.totalOne + fast.commentOne + fast.blankOne,
              static_cast<int32_t>(textOne.size()));
  }
}

TEST(LegacyCompareLines, AnOldLineMayPairTwice) {
  ComparerState f = fields();
  const std::vector<std::string_view> one = {"abc"};
  const std::vector<std::string_view> two = {"abc", "abd"};
  const LegacyCounts n = legacyCompareLines(one, two, f);
  EXPECT_EQ(n.same, 1);
  EXPECT_EQ(n.changed, 1);
  EXPECT_EQ(n.deleted, 0);
  EXPECT_EQ(n.added, 0);
}

TEST(LegacyCompareLines, BlankLinesPairLikeAnyOther) {
  ComparerState f = fields();
  const std::vector<std::string_view> one = {"", "x", "x"};
  const std::vector<std::string_view> two = {"x", ""};
  const LegacyCounts n = legacyCompareLines(one, two, f);
  EXPECT_EQ(n.same, 2);
  EXPECT_EQ(n.deleted, 1);
  EXPECT_EQ(n.blankOne, 1);
  EXPECT_EQ(n.totalOne, 2);
}

TEST(LegacyCompareMatchedFiles, ReportStatementAndState) {
  test::TempDir dir;
  dir.write("old/a.c", "/* head\n\n*/\nint a;\nint b;\n");
  dir.write("new/a.c", "int a;\nint c;\n// new\n");
  ComparerState f = fields();
  f.blankInMultiComm = -1;
  const std::u16string report =
      legacyCompareMatchedFiles(f, dir.u16("old"), dir.u16("old/a.c"), dir.u16("new/a.c"));
  EXPECT_EQ(report,
            u"samelines\t1\rchangedlines\t1\rdellines\t4\rnewlines\t1\rcommlinesOne\t3\r"
            u"commlinesTwo\t1\rtotallinesOne\t2\rtotallinesTwo\t2");
  EXPECT_EQ(f.blankInMultiComm, 0);  // the second file's value
  EXPECT_TRUE(f.strSQL.ends_with(u"values (8,'/a.c',1,4,1,3,1,2,2,1,0,0)|||"))
      << test::u8(f.strSQL);
}

TEST(LegacyPhysicalCountOnly, CountedFileStatement) {
  test::TempDir dir;
  dir.write("f.c", "/* a\n\nb\nc\n*/\nx;\n\n");
  ComparerState f = fields();
  f.blankInMultiComm = 0;
  EXPECT_EQ(legacyPhysicalCountOnly(f, u"", dir.u16("f.c")), u"");
  EXPECT_EQ(f.blankInMultiComm, 1);
  EXPECT_TRUE(f.strSQL.ends_with(u"',0,0,7,5,0,1,0,0,1,0)|||")) << test::u8(f.strSQL);
  EXPECT_EQ(test::errorNumberOf([&] { legacyPhysicalCountOnly(f, u"", dir.u16("none")); }),
            kFileNotFound);
}

}  // namespace
}  // namespace cvn
