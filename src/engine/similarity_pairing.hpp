#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace cvn {

// One pair: index into oldLines, index into newLines.
struct LinePair {
  int32_t oldIndex;
  int32_t newIndex;

  friend bool operator==(const LinePair&, const LinePair&) = default;
};

// The similarity pass. The character distance of two lines is the sum over
// byte values 0..255 of the difference of their counts (order does not count).
// Each old line, in order, is paired with the first new line (lowest index)
// that is not yet paired (newPaired[j] == 0) and lies within threshold of it;
// that new line is then marked paired (newPaired[j] = 1). A negative threshold
// pairs nothing. Returns the pairs in the order formed.
//
// newPaired must hold one flag per new line (invalid-argument error otherwise).
std::vector<LinePair> pairSimilarLines(std::span<const std::string_view> oldLines,
                                       std::span<const std::string_view> newLines,
                                       std::span<uint8_t> newPaired, int16_t threshold);

// The character distance of two lines.
int64_t characterDistance(std::string_view a, std::string_view b);

}  // namespace cvn
