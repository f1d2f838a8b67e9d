#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cvn::cli {

// Which files of a tree take part. Patterns are fnmatch(3) globs, ASCII case ignored as
// language detection ignores it; one that holds a "/" is matched against the path below
// the root (where "*" also crosses folders), any other against the name alone. Patterns are
// kept in their normal form (normalPattern).
struct FileFilter {
  std::vector<std::string> match = {};        // files kept; none keeps every file
  std::vector<std::string> exclude = {};      // files left out
  std::vector<std::string> excludeDirs = {};  // folders not even opened
  bool includeVcs = false;                    // else .git, .hg, .svn, .bzr and _darcs are skipped
  bool gitignore = false;                     // leave out what git ignores in the tree

  // path: below the root, "/" between folders, the file system's bytes.
  bool keepsFile(std::string_view path) const;
  bool skipsFolder(std::string_view path) const;
};

// A pattern as typed, in the form it is matched in: "./" before and "/" after removed.
std::string normalPattern(std::string_view typed);

}  // namespace cvn::cli
