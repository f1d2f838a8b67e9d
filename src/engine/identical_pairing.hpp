#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace cvn {

// The identical-text pass: each old line, in order, takes the first new line
// (in file order) that is still unpaired and has exactly the same bytes. Sets
// oldPaired[i] and newPaired[j] for every pair made; new lines already marked
// paired are never taken. Returns the number of pairs.
int64_t pairIdenticalLines(std::span<const std::string_view> oldLines,
                           std::span<const std::string_view> newLines, std::span<uint8_t> oldPaired,
                           std::span<uint8_t> newPaired);

}  // namespace cvn
