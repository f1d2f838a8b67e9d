#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/comparer_state.hpp"

namespace cvn {

// The lines of one file on its own. A blank line inside a multi-line comment
// counts once, as a comment line, so code = total - blank - comment is never
// negative.
struct PhysicalCounts {
  int32_t total = 0;
  int32_t comment = 0;
  int32_t blank = 0;
  int32_t code = 0;

  friend bool operator==(const PhysicalCounts&, const PhysicalCounts&) = default;
};

// The lines of a file's bytes, split as forEachLine splits them.
PhysicalCounts countPhysicalLines(std::string_view text, const ComparerState& state);

// The situations of physicalCountOnly.
enum FileType : int16_t { kCountedFile = 0, kNewFile = 1, kDeletedFile = 2 };

// physicalCountOnly of the current comparer: counts the file and, for types
// 0, 1 and 2, appends one per-file statement. Returns "".
std::u16string physicalCountOnly(ComparerState& state, const std::u16string& strDirRoot,
                                 const std::u16string& fileToCount, int16_t ifileType);

// The count alone, for hosts that show it; reads only the settings, so it may
// run on any thread.
PhysicalCounts countFile(const ComparerState& state, const std::u16string& fileToCount);

// physicalCountOnly's statement for counts taken already.
void reportPhysicalCount(ComparerState& state, const std::u16string& strDirRoot,
                         const std::u16string& fileToCount, int16_t ifileType,
                         const PhysicalCounts& counts);

}  // namespace cvn
