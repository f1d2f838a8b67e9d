#pragma once

#include <cstdint>
#include <string>

namespace cvn {

// A root argument split into the folder to scan and an optional file mask.
struct MaskedRoot {
  std::u16string directory;
  std::u16string maskSuffix;  // the characters a selected path must end with ("*": any)
  bool maskSeen = false;      // the last component was taken as a mask
};

// Splits a root: a last component with a "." or ending in "*" after other
// characters is a mask. A root naming an existing folder is taken whole, so
// folders such as proj-1.2 or lib.old are never mistaken for masks. A root
// with neither "/" nor "\" that is no existing folder is the invalid-argument
// error.
MaskedRoot stripFileMask(const std::u16string& root);

// The platform's path separator, appended to roots that do not end in one.
// Both separators are accepted when reading a path on either platform.
#ifdef _WIN32
inline constexpr char16_t kPathSeparator = u'\\';
#else
inline constexpr char16_t kPathSeparator = u'/';
#endif

inline bool endsWithSeparator(const std::u16string& path) {
  return !path.empty() && (path.back() == u'/' || path.back() == u'\\');
}

inline std::u16string withTrailingSeparator(std::u16string path) {
  if (!endsWithSeparator(path)) path += kPathSeparator;
  return path;
}

}  // namespace cvn
