#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cvn {

// How lines compare in the identical and the similarity pass, for C++ hosts
// that ask for it; blank and comment classification never folds.
struct LineFolding {
  bool ignoreWhitespace = false;  // runs of spaces and tabs as one space, none at the ends
  bool ignoreCase = false;        // Windows-1252 letters compare without case
  bool any() const noexcept { return ignoreWhitespace || ignoreCase; }
};

// Appends the line as the passes compare it.
void appendFoldedLine(std::string_view line, LineFolding folding, std::string& out);

// Lines as the passes compare them: the lines themselves when nothing folds,
// else folded copies that this object holds.
class FoldedLines {
 public:
  FoldedLines(std::span<const std::string_view> lines, LineFolding folding);
  FoldedLines(const FoldedLines&) = delete;
  FoldedLines& operator=(const FoldedLines&) = delete;

  std::span<const std::string_view> lines() const noexcept { return lines_; }

 private:
  std::string text_;
  std::vector<std::string_view> folded_;
  std::span<const std::string_view> lines_;
};

}  // namespace cvn
