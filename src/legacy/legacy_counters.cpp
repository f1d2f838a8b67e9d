#include "legacy/legacy_counters.hpp"

#include <string>

#include "platform/checked.hpp"

namespace cvn {
namespace {

size_t position(std::string_view s, const Marker<char>& marker) {
  if (s.empty() || !marker.canOccur) return 0;
  const size_t found = s.find(marker.text);
  return found == std::string_view::npos ? 0 : found + 1;
}

bool beginsWith(std::string_view s, const Marker<char>& marker) {
  return marker.canOccur && s.starts_with(marker.text);
}

bool endsWith(std::string_view s, const Marker<char>& marker) {
  return marker.canOccur && s.ends_with(marker.text);
}

}  // namespace

int32_t legacyCommentLines(std::span<const std::string_view> lines, const ByteMarkers& markers,
                           int32_t& blankInMultiComm) {
  const Marker<char>& c = markers.commentChar;
  const Marker<char>& b = markers.multiBegComm;
  const Marker<char>& e = markers.multiEndComm;
  blankInMultiComm = 0;
  int32_t count = 0;
  std::string scratch;
  const size_t n = lines.size();
  for (size_t i = 0; i < n; ++i) {
    const std::string_view s = normalizeLine(lines[i], scratch);
    const size_t pBeg = b.length() == 0 ? 0 : position(s, b);
    if (pBeg != 0) {
      const size_t pComm = c.length() == 0 ? 0 : position(s, c);
      if (pComm == 0 || pComm >= pBeg) {
        // An opening line.
        const size_t pEnd = position(s, e);
        if (beginsWith(s, b) && (pEnd == 0 || endsWith(s, e))) checkedIncrement(count);
        if (pEnd != 0) continue;
        size_t j = i + 1;
        for (; j < n; ++j) {
          const std::string_view t = normalizeLine(lines[j], scratch);
          if (t.empty()) checkedIncrement(blankInMultiComm);
          if (position(t, e) == 0) {
            checkedIncrement(count);
            continue;
          }
          if (endsWith(t, e)) checkedIncrement(count);
          break;
        }
        // Resume after the closing line; an unclosed comment ends the scan.
        i = j < n ? j : n;
        continue;
      }
      // The single-line marker comes first: the begin marker is part of it.
    } else if (c.length() == 0 || !beginsWith(s, c)) {
      continue;
    }
    if (b.length() == 0 || !beginsWith(s, b)) checkedIncrement(count);
  }
  return count;
}

int32_t legacyBlankLines(std::span<const std::string_view> lines) {
  std::string scratch;
  int32_t count = 0;
  for (std::string_view line : lines) {
    if (normalizeLine(line, scratch).empty()) checkedIncrement(count);
  }
  return count;
}

int32_t legacyCalBlankLines(StringArray& fileContentsOne) {
  std::u16string scratch;
  int32_t count = 0;
  const int64_t upper = fileContentsOne.upperBound();
  for (int64_t i = 0; i <= upper; ++i) {
    std::u16string& line = fileContentsOne.at(static_cast<int32_t>(i));
    line = std::u16string(normalizeLine<char16_t>(line, scratch));
    if (line.empty()) checkedIncrement(count);
  }
  return count;
}

}  // namespace cvn
