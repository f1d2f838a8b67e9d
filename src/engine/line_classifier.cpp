#include "engine/line_classifier.hpp"

#include "platform/checked.hpp"
#include "platform/codepage.hpp"

namespace cvn {
namespace {

template <typename CharT>
using View = std::basic_string_view<CharT>;

Marker<char> toBytes(const std::u16string& text) {
  auto bytes = encodeCp1252Exact(text);
  if (bytes) return {*bytes, true};
  return {std::string(text.size(), '?'), false};
}

}  // namespace

TextMarkers textMarkers(const std::u16string& commentChar, const std::u16string& multiBegComm,
                        const std::u16string& multiEndComm) {
  return {{commentChar, true}, {multiBegComm, true}, {multiEndComm, true}};
}

ByteMarkers byteMarkers(const std::u16string& commentChar, const std::u16string& multiBegComm,
                        const std::u16string& multiEndComm) {
  return {toBytes(commentChar), toBytes(multiBegComm), toBytes(multiEndComm)};
}

template <typename CharT>
View<CharT> normalizeLine(View<CharT> line, std::basic_string<CharT>& scratch) {
  View<CharT> s = line;
  if (s.find(CharT('\t')) != View<CharT>::npos) {
    scratch.clear();
    for (CharT ch : line) {
      if (ch != CharT('\t')) scratch.push_back(ch);
    }
    s = scratch;
  }
  const size_t first = s.find_first_not_of(CharT(' '));
  if (first == View<CharT>::npos) return {};
  const size_t last = s.find_last_not_of(CharT(' '));
  return s.substr(first, last - first + 1);
}

template View<char> normalizeLine(View<char>, std::string&);
template View<char16_t> normalizeLine(View<char16_t>, std::u16string&);

LineTally tallyLines(std::string_view text, const ByteMarkers& markers) {
  int64_t counted[2][2] = {};
  LineClassifier<char>(markers).classifyLines(
      text, [&counted](std::string_view, auto c) { ++counted[c.comment][c.blank]; });
  if (counted[0][0] + counted[0][1] + counted[1][0] + counted[1][1] > INT32_MAX) raise(kOverflow);
  LineTally tally{};
  for (int comment : {0, 1}) {
    for (int blank : {0, 1}) tally[comment][blank] = static_cast<int32_t>(counted[comment][blank]);
  }
  return tally;
}

int32_t countCommentLines(const StringArray& lines, const TextMarkers& markers) {
  LineClassifier<char16_t> classifier(markers);
  bool inMultiComm = false;
  int32_t count = 0;
  const int64_t upper = lines.upperBound();
  for (int64_t i = 0; i <= upper; ++i) {
    if (classifier.isComment(lines.at(static_cast<int32_t>(i)), inMultiComm)) {
      checkedIncrement(count);
    }
  }
  return count;
}

int32_t countBlankLines(const StringArray& lines) {
  LineClassifier<char16_t> classifier(TextMarkers{});
  int32_t count = 0;
  const int64_t upper = lines.upperBound();
  for (int64_t i = 0; i <= upper; ++i) {
    if (classifier.isBlank(lines.at(static_cast<int32_t>(i)))) checkedIncrement(count);
  }
  return count;
}

}  // namespace cvn
