#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/string_array.hpp"
#include "platform/text_file.hpp"

namespace cvn {

// One comment marker in the representation of the lines it is searched in.
// A marker that the representation cannot hold (a character outside the code
// page, for lines kept as bytes) keeps its length but never occurs.
template <typename CharT>
struct Marker {
  std::basic_string<CharT> text;
  bool canOccur = true;

  size_t length() const noexcept { return text.size(); }
};

template <typename CharT>
struct CommentMarkers {
  Marker<CharT> commentChar;   // opens a single-line comment
  Marker<CharT> multiBegComm;  // opens a multi-line comment
  Marker<CharT> multiEndComm;  // closes it
};

using TextMarkers = CommentMarkers<char16_t>;
using ByteMarkers = CommentMarkers<char>;

TextMarkers textMarkers(const std::u16string& commentChar, const std::u16string& multiBegComm,
                        const std::u16string& multiEndComm);
// The markers as Windows-1252 bytes, for lines read from files.
ByteMarkers byteMarkers(const std::u16string& commentChar, const std::u16string& multiBegComm,
                        const std::u16string& multiEndComm);

// The line with every tab removed, then spaces trimmed at both ends. The view
// points into the line or, when it held tabs, into scratch.
template <typename CharT>
std::basic_string_view<CharT> normalizeLine(std::basic_string_view<CharT> line,
                                            std::basic_string<CharT>& scratch);

// Blank and comment tests of the current comparer. The in-comment state is the
// caller's: it decides where a sequence of lines starts.
template <typename CharT>
class LineClassifier {
 public:
  explicit LineClassifier(const CommentMarkers<CharT>& markers) : markers_(markers) {}

  struct Classification {
    bool comment;
    bool blank;
  };

  bool isBlank(std::basic_string_view<CharT> line) { return normalizeLine(line, scratch_).empty(); }
  // Reads and updates inMultiComm as the line demands.
  bool isComment(std::basic_string_view<CharT> line, bool& inMultiComm) {
    return isCommentNormalized(normalizeLine(line, scratch_), inMultiComm);
  }
  // Both tests on one normalisation of the line.
  Classification classify(std::basic_string_view<CharT> line, bool& inMultiComm);
  // Tells the classifier the whole text its lines come from: a text without tabs spares
  // every line the search for one.
  void useText(std::basic_string_view<CharT> text) {
    tabsPossible_ = text.find(CharT('\t')) != std::basic_string_view<CharT>::npos;
  }
  // classify(line) for each line of a file's bytes, split as forEachLine splits them, the
  // first one outside a comment: fn(line, classification). The same answers, with a marker
  // looked for only in the lines that hold its first character.
  template <typename Fn>
  void classifyLines(std::string_view text, Fn fn);

 private:
  bool isCommentNormalized(std::basic_string_view<CharT> s, bool& inMultiComm) const;

  CommentMarkers<CharT> markers_;
  std::basic_string<CharT> scratch_;
  bool tabsPossible_ = true;
};

namespace detail {

template <typename CharT>
using View = std::basic_string_view<CharT>;

// The line without the spaces at both ends (a line without tabs, as normalizeLine
// leaves it). File bytes are skipped eight at a time: most lines of code start with
// a run of indentation.
template <typename CharT>
View<CharT> trimSpaces(View<CharT> s) {
  size_t i = 0;
  if constexpr (sizeof(CharT) == 1 && std::endian::native == std::endian::little) {
    for (; i + 8 <= s.size(); i += 8) {
      uint64_t word;
      std::memcpy(&word, s.data() + i, 8);
      const uint64_t other = word ^ 0x2020202020202020u;
      if (other != 0) {
        i += static_cast<size_t>(std::countr_zero(other) / 8);
        break;
      }
    }
  }
  while (i < s.size() && s[i] == CharT(' ')) ++i;
  size_t end = s.size();
  while (end > i && s[end - 1] == CharT(' ')) --end;
  return s.substr(i, end - i);
}

// The first occurrence of a non-empty needle in s, or npos. In file bytes the
// first character is found with memchr and the rest compared in place, which
// is the common case of a two-character marker.
template <typename CharT>
size_t find(View<CharT> s, View<CharT> needle) {
  if constexpr (sizeof(CharT) == 1) {
    if (needle.size() > s.size()) return View<CharT>::npos;
    const char* at = s.data();
    const char* last = s.data() + (s.size() - needle.size());
    while (at <= last) {
      at = static_cast<const char*>(std::memchr(at, needle[0], static_cast<size_t>(last - at) + 1));
      if (at == nullptr) break;
      size_t k = 1;
      while (k < needle.size() && at[k] == needle[k]) ++k;
      if (k == needle.size()) return static_cast<size_t>(at - s.data());
      ++at;
    }
    return View<CharT>::npos;
  } else {
    return s.find(needle);
  }
}

// 1-based position of the first occurrence, 0 when absent. An empty marker
// stands at position 1 of any non-empty line.
template <typename CharT>
size_t position(View<CharT> s, const Marker<CharT>& marker) {
  if (s.empty() || !marker.canOccur) return 0;
  if (marker.text.empty()) return 1;
  const size_t found = find(s, View<CharT>(marker.text));
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

}  // namespace detail

template <typename CharT>
template <typename Fn>
void LineClassifier<CharT>::classifyLines(std::string_view text, Fn fn) {
  static_assert(sizeof(CharT) == 1, "lines of file bytes");
  useText(text);
  bool inMultiComm = false;
  if (tabsPossible_) {
    forEachLine(text, [&](std::string_view line) { fn(line, classify(line, inMultiComm)); });
    return;
  }
  // The first place of a character at or after the lines seen so far, found again only
  // once a line has gone past it: one search a place, not one a line.
  struct NextPlace {
    int ch;  // -1: the marker has no first character that can occur
    const char* at = nullptr;
    bool searched = false;

    bool within(const char* from, const char* to, const char* end) {
      if (ch < 0) return false;
      if (!searched || (at != nullptr && at < from)) {
        at = static_cast<const char*>(std::memchr(from, ch, static_cast<size_t>(end - from)));
        searched = true;
      }
      return at != nullptr && at < to;
    }
  };
  const auto firstChar = [](const Marker<char>& marker) {
    return marker.canOccur && !marker.text.empty() ? static_cast<unsigned char>(marker.text[0])
                                                   : -1;
  };
  const int commentFirst = firstChar(markers_.commentChar);
  NextPlace begin{firstChar(markers_.multiBegComm)};
  NextPlace end{firstChar(markers_.multiEndComm)};
  // Without a first character an end marker is empty or never found: the general rule.
  const bool endSearchable = end.ch >= 0;
  const char* const textEnd = text.data() + text.size();
  const char* at = text.data();
  while (at < textEnd) {
    const auto* newline =
        static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(textEnd - at)));
    const char* lineEnd = newline == nullptr ? textEnd : newline;
    if (newline != nullptr && newline > at && newline[-1] == '\r') --lineEnd;
    const std::string_view line(at, static_cast<size_t>(lineEnd - at));
    const std::string_view s = detail::trimSpaces(line);
    const char* from = s.data();
    const char* to = s.data() + s.size();
    bool comment;
    if (!inMultiComm && !begin.within(from, to, textEnd)) {
      comment = commentFirst >= 0 && !s.empty() &&
                static_cast<unsigned char>(s[0]) == commentFirst &&
                detail::startsWith(s, markers_.commentChar);
    } else if (inMultiComm && endSearchable && !end.within(from, to, textEnd)) {
      comment = true;
    } else {
      comment = isCommentNormalized(s, inMultiComm);
    }
    fn(line, Classification{comment, s.empty()});
    if (newline == nullptr) break;
    at = newline + 1;
  }
}

// Defined here so that the loops over a file's lines can inline them.
template <typename CharT>
auto LineClassifier<CharT>::classify(std::basic_string_view<CharT> line, bool& inMultiComm)
    -> Classification {
  const std::basic_string_view<CharT> s =
      tabsPossible_ ? normalizeLine(line, scratch_) : detail::trimSpaces(line);
  return {isCommentNormalized(s, inMultiComm), s.empty()};
}

template <typename CharT>
bool LineClassifier<CharT>::isCommentNormalized(std::basic_string_view<CharT> s,
                                                bool& inMultiComm) const {
  using detail::endsWith;
  using detail::position;
  using detail::startsWith;
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

// How many lines of a file's bytes are comment or code, blank or not: [comment][blank]. The
// sum fits in 32 bits or the overflow error is raised.
using LineTally = std::array<std::array<int32_t, 2>, 2>;
LineTally tallyLines(std::string_view text, const ByteMarkers& markers);

// Comment lines of indices 0 to the upper bound, the in-comment state starting
// false; an element outside the array's bounds is the subscript-out-of-range error.
int32_t countCommentLines(const StringArray& lines, const TextMarkers& markers);
// Blank lines of indices 0 to the upper bound; the array is not changed.
int32_t countBlankLines(const StringArray& lines);

}  // namespace cvn
