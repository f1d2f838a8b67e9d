#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

namespace cvn::cli {

// What git itself leaves out of a folder tree (its .gitignore files, the repository's
// exclude file and the user's): ignored files and whole ignored folders, as paths below the
// root. Files a repository tracks are never ignored.
class GitIgnored {
 public:
  // Asks git about the tree at root (absolute); fails with a line naming --gitignore when git
  // cannot be run or fails.
  explicit GitIgnored(const std::string& root);

  bool file(std::string_view path) const { return files_.contains(std::string(path)); }
  bool folder(std::string_view path) const { return folders_.contains(std::string(path)); }

 private:
  std::unordered_set<std::string> files_;
  std::unordered_set<std::string> folders_;
};

}  // namespace cvn::cli
