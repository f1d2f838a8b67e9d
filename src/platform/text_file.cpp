#include "platform/text_file.hpp"

#include <algorithm>
#include <cstring>

namespace cvn {

TextLines::TextLines(std::vector<char> bytes) : bytes_(std::move(bytes)) {
  lines_ = splitLines(std::string_view(bytes_.data(), bytes_.size()));
}

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  // Counted first: a large file's list is then allocated once, without the
  // doubling vector's slack and the copy that holds two lists at once.
  lines.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    const auto* newline = static_cast<const char*>(std::memchr(p, '\n', end - p));
    if (newline == nullptr) {
      lines.emplace_back(p, end - p);
      break;
    }
    const char* lineEnd = newline > p && newline[-1] == '\r' ? newline - 1 : newline;
    lines.emplace_back(p, lineEnd - p);
    p = newline + 1;
  }
  return lines;
}

}  // namespace cvn
