// Line classification on random markers and lines. Files are classified as
// bytes, host calls as decoded text: both must give the same answers and move
// the in-comment state alike.
//
// Input: a state byte, three markers (length byte, then one byte per
// character), then the file's bytes.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/line_classifier.hpp"
#include "fuzz_input.hpp"
#include "legacy/legacy_counters.hpp"
#include "platform/codepage.hpp"
#include "platform/text_file.hpp"

namespace cvn::fuzz {
namespace {

std::string describe(std::string_view line, bool stateBefore) {
  return "line " + show(line) + " from state " + std::to_string(stateBefore);
}

void run(Input& in) {
  const bool startInComment = (in.byte() & 1) != 0;
  const std::u16string comment = in.text(4);
  const std::u16string begin = in.text(4);
  const std::u16string end = in.text(4);
  const std::string_view file = in.rest();
  const std::vector<std::string_view> lines = splitLines(file);

  const ByteMarkers bytes = byteMarkers(comment, begin, end);
  const TextMarkers text = textMarkers(comment, begin, end);
  LineClassifier<char> byteClassify(bytes);
  LineClassifier<char16_t> textClassify(text);
  LineClassifier<char> byteSingle(bytes);
  LineClassifier<char16_t> textSingle(text);
  bool byteState = startInComment;
  bool textState = startInComment;
  bool byteSingleState = startInComment;
  bool textSingleState = startInComment;

  int32_t comments = 0;
  int32_t blanks = 0;
  std::vector<std::u16string> decoded;
  std::string byteScratch;
  std::u16string textScratch;
  for (std::string_view line : lines) {
    const std::u16string t = decodeCp1252(line);
    decoded.push_back(t);
    const bool before = byteState;

    const std::u16string normalBytes = decodeCp1252(normalizeLine(line, byteScratch));
    const std::u16string_view normalText = normalizeLine<char16_t>(t, textScratch);
    CVN_FUZZ_CHECK(normalBytes == normalText, describe(line, before));

    const auto b = byteClassify.classify(line, byteState);
    const auto c = textClassify.classify(t, textState);
    CVN_FUZZ_CHECK(b.comment == c.comment && b.blank == c.blank, describe(line, before));
    CVN_FUZZ_CHECK(byteState == textState, describe(line, before));

    // The single tests agree with the combined one.
    CVN_FUZZ_CHECK(byteSingle.isComment(line, byteSingleState) == b.comment,
                   describe(line, before));
    CVN_FUZZ_CHECK(textSingle.isComment(t, textSingleState) == b.comment, describe(line, before));
    CVN_FUZZ_CHECK(byteSingleState == byteState && textSingleState == byteState,
                   describe(line, before));
    CVN_FUZZ_CHECK(byteSingle.isBlank(line) == b.blank && textSingle.isBlank(t) == b.blank,
                   describe(line, before));

    // A blank line neither opens nor closes a comment: it belongs to the one it is in.
    if (b.blank) {
      CVN_FUZZ_CHECK(b.comment == before && byteState == before, describe(line, before));
    }
    comments += b.comment ? 1 : 0;
    blanks += b.blank ? 1 : 0;
  }

  StringArray array = StringArray::fromVector(decoded);
  CVN_FUZZ_CHECK(countBlankLines(array) == blanks, "countBlankLines");
  if (!startInComment) {
    CVN_FUZZ_CHECK(countCommentLines(array, text) == comments, "countCommentLines");
  }

  // The legacy counters: no crash, and counts that fit the file.
  int32_t blankInComments = -1;
  const int32_t legacyComments = legacyCommentLines(lines, bytes, blankInComments);
  const int32_t legacyBlanks = legacyBlankLines(lines);
  const auto lineCount = static_cast<int32_t>(lines.size());
  CVN_FUZZ_CHECK(legacyBlanks == blanks, "legacyBlankLines");
  CVN_FUZZ_CHECK(legacyComments >= 0 && legacyComments <= lineCount, "legacyCommentLines");
  CVN_FUZZ_CHECK(blankInComments >= 0 && blankInComments <= legacyBlanks, "blankInMultiComm");
  CVN_FUZZ_CHECK(legacyCalBlankLines(array) == blanks, "legacyCalBlankLines");
  for (size_t k = 0; k < decoded.size(); ++k) {
    CVN_FUZZ_CHECK(
        array.at(static_cast<int32_t>(k)) == normalizeLine<char16_t>(decoded[k], textScratch),
        "legacyCalBlankLines normalises every element");
  }
}

}  // namespace
}  // namespace cvn::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  cvn::fuzz::Input in(data, size);
  cvn::fuzz::run(in);
  return 0;
}
