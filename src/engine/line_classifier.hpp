#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/string_array.hpp"

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

  bool isBlank(std::basic_string_view<CharT> line);
  // Reads and updates inMultiComm as the line demands.
  bool isComment(std::basic_string_view<CharT> line, bool& inMultiComm);
  // Both tests on one normalisation of the line.
  Classification classify(std::basic_string_view<CharT> line, bool& inMultiComm);
  // Tells the classifier the whole text its lines come from: a text without tabs spares
  // every line the search for one.
  void useText(std::basic_string_view<CharT> text) {
    tabsPossible_ = text.find(CharT('\t')) != std::basic_string_view<CharT>::npos;
  }

 private:
  bool isCommentNormalized(std::basic_string_view<CharT> s, bool& inMultiComm) const;

  CommentMarkers<CharT> markers_;
  std::basic_string<CharT> scratch_;
  bool tabsPossible_ = true;
};

// Comment lines of indices 0 to the upper bound, the in-comment state starting
// false; an element outside the array's bounds is the subscript-out-of-range error.
int32_t countCommentLines(const StringArray& lines, const TextMarkers& markers);
// Blank lines of indices 0 to the upper bound; the array is not changed.
int32_t countBlankLines(const StringArray& lines);

extern template class LineClassifier<char>;
extern template class LineClassifier<char16_t>;

}  // namespace cvn
