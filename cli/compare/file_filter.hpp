#pragma once

#include <string>
#include <vector>

namespace cvn::cli {

// Which files of a tree take part: --match and --exclude-dir.
struct FileFilter {
  // fnmatch(3) patterns for a file's name; none keeps every name.
  std::vector<std::string> namePatterns;
  // Folder names skipped at any depth below the root.
  std::vector<std::string> excludedFolders;

  bool empty() const { return namePatterns.empty() && excludedFolders.empty(); }
};

// The files of a listing (full paths below root) that the filter keeps, in listing order.
std::vector<std::u16string> filterFiles(std::vector<std::u16string> files,
                                        const std::u16string& root, const FileFilter& filter);

}  // namespace cvn::cli
