#include "engine/line_classifier.hpp"

#include <gtest/gtest.h>

#include "platform/error.hpp"

namespace cvn {
namespace {

struct CommentCase {
  std::u16string line;
  bool stateBefore;
  bool comment;
  bool stateAfter;
};

void PrintTo(const CommentCase& c, std::ostream* os) {
  *os << '"' << std::string(c.line.begin(), c.line.end()) << "\" from " << c.stateBefore;
}

class CommentStateTable : public ::testing::TestWithParam<CommentCase> {};

TEST_P(CommentStateTable, ClassifiesAndMovesTheState) {
  const CommentCase& c = GetParam();
  const TextMarkers markers = textMarkers(u"//", u"/*", u"*/");
  LineClassifier<char16_t> classifier(markers);
  bool state = c.stateBefore;
  EXPECT_EQ(classifier.isComment(c.line, state), c.comment);
  EXPECT_EQ(state, c.stateAfter);

  // Lines read from files are classified as bytes; the answer must not differ.
  const ByteMarkers bytes = byteMarkers(u"//", u"/*", u"*/");
  LineClassifier<char> byteClassifier(bytes);
  std::string line(c.line.begin(), c.line.end());
  bool byteState = c.stateBefore;
  EXPECT_EQ(byteClassifier.isComment(line, byteState), c.comment);
  EXPECT_EQ(byteState, c.stateAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommentStateTable,
    ::testing::Values(CommentCase{u"\t\t  // note", false, true, false},
                      CommentCase{u"x = 1; // note", false, false, false},
                      CommentCase{u"x = 1; // see /* here", false, true, false},
                      CommentCase{u"//* note", false, true, false},
                      CommentCase{u"/* note */", false, true, false},
                      CommentCase{u"/* note */ x = 1;", false, false, false},
                      CommentCase{u"/* note", false, true, true},
                      CommentCase{u"x = 1; /* note", false, false, true},
                      CommentCase{u"", true, true, true},
                      CommentCase{u"note */", true, true, false},
                      CommentCase{u"note */ x = 1;", true, false, false},
                      CommentCase{u"*/ x = 1; /*", true, false, false},
                      CommentCase{u"*/ x = 1; /*", false, false, false},
                      CommentCase{u"/* a // b", false, true, true},
                      CommentCase{u"/\t/ note", false, true, false},
                      CommentCase{u"   ", true, true, true},
                      CommentCase{u"// x */", true, true, false},
                      CommentCase{u"  /* a */  ", false, true, false}));

TEST(LineClassifier, BlankLines) {
  LineClassifier<char16_t> classifier(TextMarkers{});
  EXPECT_TRUE(classifier.isBlank(u""));
  EXPECT_TRUE(classifier.isBlank(u"    "));
  EXPECT_TRUE(classifier.isBlank(u"\t\t"));
  EXPECT_TRUE(classifier.isBlank(u" \t \t "));
  EXPECT_FALSE(classifier.isBlank(u"\r"));
  EXPECT_FALSE(classifier.isBlank(u"\f"));
  EXPECT_FALSE(classifier.isBlank(u"\u00A0"));
  EXPECT_FALSE(classifier.isBlank(u" x "));
}

TEST(LineClassifier, MarkersAreCaseSensitive) {
  const TextMarkers markers = textMarkers(u"REM", u"", u"");
  LineClassifier<char16_t> classifier(markers);
  bool state = false;
  EXPECT_FALSE(classifier.isComment(u"rem note", state));
  EXPECT_TRUE(classifier.isComment(u"REM note", state));
  EXPECT_FALSE(state);
}

TEST(LineClassifier, EmptySettingsSwitchRulesOff) {
  bool state = false;
  LineClassifier<char16_t> noSingle(textMarkers(u"", u"/*", u"*/"));
  EXPECT_FALSE(noSingle.isComment(u"// x", state));
  EXPECT_FALSE(noSingle.isComment(u"x", state));

  LineClassifier<char16_t> noMulti(textMarkers(u"//", u"", u"*/"));
  EXPECT_FALSE(noMulti.isComment(u"/* x", state));
  EXPECT_FALSE(state);
  EXPECT_TRUE(noMulti.isComment(u"// x", state));

  // Without an end marker the begin marker never opens a comment.
  LineClassifier<char16_t> noEnd(textMarkers(u"//", u"/*", u""));
  EXPECT_TRUE(noEnd.isComment(u"/* x", state));
  EXPECT_FALSE(state);
  EXPECT_FALSE(noEnd.isComment(u"x /* y", state));
  EXPECT_FALSE(state);
}

TEST(LineClassifier, ByteMarkerOutsideTheCodePageNeverOccurs) {
  const ByteMarkers markers = byteMarkers(u"\u0100", u"/*", u"*/");
  EXPECT_FALSE(markers.commentChar.canOccur);
  LineClassifier<char> classifier(markers);
  bool state = false;
  EXPECT_FALSE(classifier.isComment("? x", state));
  // A marker inside the code page, such as the euro sign, is its byte.
  LineClassifier<char> euro(byteMarkers(u"\u20AC", u"", u""));
  EXPECT_TRUE(euro.isComment("\x80 note", state));
}

TEST(CountLines, UnclosedCommentCountsToTheEnd) {
  const StringArray lines = StringArray::fromVector({u"code", u"/* open", u"", u"still", u"x"});
  EXPECT_EQ(countCommentLines(lines, textMarkers(u"//", u"/*", u"*/")), 4);
  EXPECT_EQ(countBlankLines(lines), 1);
}

TEST(CountLines, EachCallStartsOutsideAComment) {
  const StringArray lines = StringArray::fromVector({u"a", u"b"});
  const TextMarkers markers = textMarkers(u"//", u"/*", u"*/");
  EXPECT_EQ(countCommentLines(StringArray::fromVector({u"/* open"}), markers), 1);
  EXPECT_EQ(countCommentLines(lines, markers), 0);
}

TEST(CountLines, VisitIndicesZeroToTheUpperBound) {
  StringArray belowZero(-1, -1);
  EXPECT_EQ(countBlankLines(belowZero), 0);
  EXPECT_EQ(countCommentLines(belowZero, textMarkers(u"//", u"", u"")), 0);
  EXPECT_EQ(countBlankLines(StringArray(0, -1)), 0);

  StringArray negativeLower(-2, 1);  // indices -2 and -1 are never looked at
  negativeLower.at(-2) = u"// x";
  negativeLower.at(1) = u"// y";
  EXPECT_EQ(countCommentLines(negativeLower, textMarkers(u"//", u"", u"")), 1);
  EXPECT_EQ(countBlankLines(negativeLower), 1);  // the default element at index 0
}

TEST(CountLines, ArraysWithoutIndexZeroFail) {
  for (const StringArray& array : {StringArray(), StringArray(1, 3)}) {
    try {
      countBlankLines(array);
      FAIL() << "expected error 9";
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), kSubscriptOutOfRange);
    }
    EXPECT_THROW(countCommentLines(array, TextMarkers{}), Error);
  }
}

}  // namespace
}  // namespace cvn
