#include "engine/line_folding.hpp"

#include <array>

#include "platform/codepage.hpp"
#include "platform/upper_case.hpp"

namespace cvn {
namespace {

// Each byte's capital in the code page, where the code page has one (a-z, the
// accented letters, s, z, oe and y with their marks); any other byte is itself.
std::array<unsigned char, 256> makeCapitals() {
  std::array<unsigned char, 256> capitals{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    const auto ch = static_cast<unsigned char>(byte);
    capitals[byte] = encodeCp1252(toUpperSimple(decodeCp1252(ch))).value_or(ch);
  }
  return capitals;
}

bool isSpaceOrTab(char ch) noexcept {
  return ch == ' ' || ch == '\t';
}

}  // namespace

void appendFoldedLine(std::string_view line, LineFolding folding, std::string& out) {
  static const std::array<unsigned char, 256> capitals = makeCapitals();
  bool pendingSpace = false;
  bool started = false;
  for (const char ch : line) {
    if (folding.ignoreWhitespace && isSpaceOrTab(ch)) {
      pendingSpace = started;
      continue;
    }
    if (pendingSpace) out += ' ';
    pendingSpace = false;
    started = true;
    out += folding.ignoreCase ? static_cast<char>(capitals[static_cast<unsigned char>(ch)]) : ch;
  }
}

FoldedLines::FoldedLines(std::span<const std::string_view> lines, LineFolding folding)
    : lines_(lines) {
  if (!folding.any()) return;
  size_t size = 0;
  for (std::string_view line : lines) size += line.size();
  text_.reserve(size);  // folding never lengthens a line
  std::vector<size_t> ends;
  ends.reserve(lines.size());
  for (std::string_view line : lines) {
    appendFoldedLine(line, folding, text_);
    ends.push_back(text_.size());
  }
  // The views are made once the text is whole, as appending may move it.
  folded_.reserve(lines.size());
  size_t begin = 0;
  for (const size_t end : ends) {
    folded_.emplace_back(text_.data() + begin, end - begin);
    begin = end;
  }
  lines_ = folded_;
}

}  // namespace cvn
