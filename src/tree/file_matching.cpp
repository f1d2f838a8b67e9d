#include "tree/file_matching.hpp"

#include "tree/file_mask.hpp"

namespace cvn {

std::u16string_view relativePath(std::u16string_view file, std::u16string_view rootWithSeparator) {
  return file.size() > rootWithSeparator.size() ? file.substr(rootWithSeparator.size())
                                                : std::u16string_view();
}

int16_t matchFiles(const std::u16string& rootDirectorySource,
                   const std::u16string& rootDirectoryCompare, const std::u16string& fileToMatch,
                   const std::u16string& matchAgainst) {
  const std::u16string source = withTrailingSeparator(rootDirectorySource);
  const std::u16string compare = withTrailingSeparator(rootDirectoryCompare);
  return relativePath(fileToMatch, source) == relativePath(matchAgainst, compare) ? 1 : 0;
}

}  // namespace cvn
