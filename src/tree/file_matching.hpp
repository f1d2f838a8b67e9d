#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cvn {

// The part of a file's path after its root (the root taken with a trailing
// separator); "" when the path is not longer.
std::u16string_view relativePath(std::u16string_view file, std::u16string_view rootWithSeparator);

// matchFiles: 1 when the two files have the same path relative to their own
// roots, compared exactly; 0 otherwise. A root that does not end in a
// separator is taken with one.
int16_t matchFiles(const std::u16string& rootDirectorySource,
                   const std::u16string& rootDirectoryCompare, const std::u16string& fileToMatch,
                   const std::u16string& matchAgainst);

}  // namespace cvn
