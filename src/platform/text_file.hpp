#pragma once

#include <string_view>
#include <vector>

namespace cvn {

// A text file read whole, as bytes, split into lines. A line ends at "\n" or
// "\r\n" (a lone "\r" stays inside its line); a last line without a terminator
// is a line; an empty file has none.
class TextLines {
 public:
  TextLines() = default;
  explicit TextLines(std::vector<char> bytes);
  TextLines(TextLines&&) noexcept = default;
  TextLines& operator=(TextLines&&) noexcept = default;

  const std::vector<std::string_view>& lines() const noexcept { return lines_; }
  size_t size() const noexcept { return lines_.size(); }
  // The list itself, for a reader that lets it go before the bytes it points at.
  std::vector<std::string_view> takeLines() noexcept { return std::move(lines_); }

 private:
  std::vector<char> bytes_;  // the views point here; moving a vector keeps its buffer
  std::vector<std::string_view> lines_;
};

std::vector<std::string_view> splitLines(std::string_view text);

}  // namespace cvn
