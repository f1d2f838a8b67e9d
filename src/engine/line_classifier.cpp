#include "engine/line_classifier.hpp"

#include "platform/checked.hpp"
#include "platform/codepage.hpp"

namespace cvn {
namespace {

template <typename CharT>
using View = std::basic_string_view<CharT>;

// 1-based position of the first occurrence, 0 when absent. An empty marker
// stands at position 1 of any non-empty line.
template <typename CharT>
size_t position(View<CharT> s, const Marker<CharT>& marker) {
  if (s.empty() || !marker.canOccur) return 0;
  const size_t found = s.find(View<CharT>(marker.text));
  return found == View<CharT>::npos ? 0 : found + 1;
}

// position(s, marker) == 1, without searching the rest of the line.
template <typename CharT>
bool startsWith(View<CharT> s, const Marker<CharT>& marker) {
  return !s.empty() && marker.canOccur && s.starts_with(View<CharT>(marker.text));
}

template <typename CharT>
bool endsWith(View<CharT> s, const Marker<CharT>& marker) {
  return marker.canOccur && s.ends_with(View<CharT>(marker.text));
}

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

template <typename CharT>
bool LineClassifier<CharT>::isBlank(View<CharT> line) {
  return normalizeLine(line, scratch_).empty();
}

template <typename CharT>
bool LineClassifier<CharT>::isComment(View<CharT> line, bool& inMultiComm) {
  return isCommentNormalized(normalizeLine(line, scratch_), inMultiComm);
}

template <typename CharT>
auto LineClassifier<CharT>::classify(View<CharT> line, bool& inMultiComm) -> Classification {
  View<CharT> s = line;
  if (tabsPossible_) {
    s = normalizeLine(line, scratch_);
  } else {
    const size_t first = s.find_first_not_of(CharT(' '));
    s = first == View<CharT>::npos ? View<CharT>()
                                   : s.substr(first, s.find_last_not_of(CharT(' ')) - first + 1);
  }
  return {isCommentNormalized(s, inMultiComm), s.empty()};
}

template <typename CharT>
bool LineClassifier<CharT>::isCommentNormalized(View<CharT> s, bool& inMultiComm) const {
  // Each marker is looked for only when the rule below needs it: most lines
  // are code with no begin marker, and only the start of the line matters then.
  if (inMultiComm) {
    if (position(s, markers_.multiEndComm) == 0) return true;
    inMultiComm = false;
    return endsWith(s, markers_.multiEndComm);
  }
  const size_t pBeg = position(s, markers_.multiBegComm);
  if (markers_.multiBegComm.length() == 0 || pBeg == 0) {
    return markers_.commentChar.length() >= 1 && startsWith(s, markers_.commentChar);
  }
  const size_t pComm = position(s, markers_.commentChar);
  // A single-line marker before the begin marker makes the begin marker part of it.
  if (markers_.commentChar.length() >= 1 && pComm >= 1 && pComm < pBeg) return true;
  const size_t pEnd = position(s, markers_.multiEndComm);
  const bool comment = pBeg == 1 && (pEnd == 0 || endsWith(s, markers_.multiEndComm));
  // Code before a begin marker still opens the comment for the following lines.
  if (pEnd == 0) inMultiComm = true;
  return comment;
}

template View<char> normalizeLine(View<char>, std::string&);
template View<char16_t> normalizeLine(View<char16_t>, std::u16string&);
template class LineClassifier<char>;
template class LineClassifier<char16_t>;

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
