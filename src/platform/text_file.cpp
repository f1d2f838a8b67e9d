#include "platform/text_file.hpp"

#include <algorithm>

namespace cvn {

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  // Counted first: a large file's list is then allocated once, without the
  // doubling vector's slack and the copy that holds two lists at once.
  lines.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  forEachLine(text, [&lines](std::string_view line) { lines.push_back(line); });
  return lines;
}

}  // namespace cvn
