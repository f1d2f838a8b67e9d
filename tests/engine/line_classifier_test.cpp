#include "engine/line_classifier.hpp"

#include <gtest/gtest.h>

#include <array>
#include <random>

#include "support/error_number.hpp"

namespace cvn {
namespace {

// Line, in a comment before, is a comment, in a comment after; as text and as file bytes.
TEST(LineClassifier, CommentsAndTheState) {
  const std::vector<std::tuple<std::string, bool, bool, bool>> rows = {
      {"\t\t  // note", 0, 1, 0}, {"x = 1; // note", 0, 0, 0}, {"x; // see /* here", 0, 1, 0},
      {"//* note", 0, 1, 0},      {"/* note */", 0, 1, 0},     {"/* note */ x = 1;", 0, 0, 0},
      {"/* note", 0, 1, 1},       {"x = 1; /* note", 0, 0, 1}, {"", 1, 1, 1},
      {"note */", 1, 1, 0},       {"note */ x = 1;", 1, 0, 0}, {"*/ x = 1; /*", 1, 0, 0},
      {"*/ x = 1; /*", 0, 0, 0},  {"/* a // b", 0, 1, 1},      {"/\t/ note", 0, 1, 0},
      {"// x */", 1, 1, 0},       {"  /* a */  ", 0, 1, 0}};
  LineClassifier<char16_t> text(textMarkers(u"//", u"/*", u"*/"));
  LineClassifier<char> bytes(byteMarkers(u"//", u"/*", u"*/"));
  for (const auto& [line, before, comment, after] : rows) {
    bool textState = before, byteState = before;
    EXPECT_EQ(text.isComment(std::u16string(line.begin(), line.end()), textState), comment) << line;
    EXPECT_EQ(bytes.classify(line, byteState).comment, comment) << line;
    EXPECT_EQ(std::pair(textState, byteState), std::pair(after, after)) << line;
  }
}

TEST(LineClassifier, BlankLinesHoldOnlySpacesAndTabs) {
  LineClassifier<char16_t> c(TextMarkers{});
  for (const char16_t* blank : {u"", u"    ", u"\t\t", u" \t \t "}) EXPECT_TRUE(c.isBlank(blank));
  for (const char16_t* line : {u"\r", u"\f", u"\u00A0", u" x "}) EXPECT_FALSE(c.isBlank(line));
}

TEST(LineClassifier, Markers) {
  bool state = false;
  EXPECT_FALSE(LineClassifier<char16_t>(textMarkers(u"REM", u"", u"")).isComment(u"rem x", state));
  // An empty marker switches its rule off; without an end marker no comment opens.
  EXPECT_FALSE(LineClassifier<char16_t>(textMarkers(u"", u"/*", u"*/")).isComment(u"// x", state));
  EXPECT_FALSE(LineClassifier<char16_t>(textMarkers(u"//", u"", u"*/")).isComment(u"/* x", state));
  EXPECT_TRUE(LineClassifier<char16_t>(textMarkers(u"//", u"/*", u"")).isComment(u"/* x", state));
  EXPECT_FALSE(state);
  // In file bytes a marker without a code never occurs; one with a code is its byte.
  EXPECT_FALSE(LineClassifier<char>(byteMarkers(u"\u0100", u"", u"")).isComment("? x", state));
  EXPECT_TRUE(LineClassifier<char>(byteMarkers(u"\u20AC", u"", u"")).isComment("\x80 x", state));
  // A single-line marker first, even of one character, makes the begin marker part of it; one
  // that begins the begin marker does not stop it opening a comment.
  EXPECT_TRUE(LineClassifier<char16_t>(textMarkers(u"#", u"/*", u"*/")).isComment(u"# /*", state));
  EXPECT_FALSE(state);
  EXPECT_TRUE(
      LineClassifier<char16_t>(textMarkers(u"--", u"--[[", u"]]")).isComment(u"--[[", state));
  EXPECT_TRUE(state);
}

// One pass over a file's bytes answers as each line taken on its own: random lines, mostly
// runs of spaces, against the plain classification of text.
TEST(LineClassifier, OnePassEqualsLineByLine) {
  const std::string alphabet = "        !/*#a\r";
  const std::vector<std::array<std::u16string, 3>> markerSets = {
      {u"//", u"/*", u"*/"}, {u"#", u"", u""}, {u"!", u"*", u"/"}, {u"", u"/*", u""}};
  std::mt19937 random(20261207);
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (int k = random() % 12; k > 0; --k) {
      for (int n = random() % 30; n > 0; --n) text += alphabet[random() % alphabet.size()];
      text += '\n';
    }
    if (random() % 2 == 0) text += "a";
    const auto& [comment, begin, end] = markerSets[random() % markerSets.size()];
    LineClassifier<char16_t> plain(textMarkers(comment, begin, end));
    std::vector<std::pair<bool, bool>> expected, found;
    bool state = false;
    forEachLine(text, [&](std::string_view line) {
      const std::u16string wide(line.begin(), line.end());
      expected.emplace_back(plain.isComment(wide, state), plain.isBlank(wide));
    });
    LineClassifier<char>(byteMarkers(comment, begin, end))
        .classifyLines(text,
                       [&](std::string_view, auto c) { found.emplace_back(c.comment, c.blank); });
    ASSERT_EQ(found, expected) << text;
  }
}

// Indices 0 to the upper bound, each call starting outside a comment.
TEST(CountLines, ZeroToTheUpperBound) {
  const TextMarkers c = textMarkers(u"//", u"/*", u"*/");
  const StringArray lines = StringArray::fromVector({u"code", u"/* open", u"", u"still", u"x"});
  EXPECT_EQ(std::pair(countCommentLines(lines, c), countBlankLines(lines)), std::pair(4, 1));
  EXPECT_EQ(countCommentLines(StringArray::fromVector({u"code", u"x"}), c), 0);
  StringArray negativeLower(-2, 1);
  negativeLower.at(-2) = negativeLower.at(1) = u"// x";
  EXPECT_EQ(std::pair(countCommentLines(negativeLower, c), countBlankLines(negativeLower)),
            std::pair(1, 1));
  EXPECT_EQ(countBlankLines(StringArray(-1, -1)), 0);
  EXPECT_EQ(test::errorNumberOf([] { countBlankLines(StringArray(1, 3)); }), kSubscriptOutOfRange);
  EXPECT_EQ(test::errorNumberOf([] { countCommentLines(StringArray(), {}); }),
            kSubscriptOutOfRange);
}

}  // namespace
}  // namespace cvn
