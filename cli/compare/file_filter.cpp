#include "compare/file_filter.hpp"

#include <fnmatch.h>

#include <algorithm>
#include <string_view>

#include "platform/utf.hpp"

namespace cvn::cli {
namespace {

// The path below the root, as the bytes the file system has.
std::string relativeBytes(const std::u16string& file, const std::u16string& root) {
  std::u16string_view relative(file);
  if (relative.starts_with(root)) {
    relative.remove_prefix(root.size());
    while (relative.starts_with(u'/')) relative.remove_prefix(1);
  }
  return utf16ToUtf8(relative);
}

bool nameMatches(std::string_view name, const std::vector<std::string>& patterns) {
  if (patterns.empty()) return true;
  const std::string text(name);
  return std::any_of(patterns.begin(), patterns.end(), [&](const std::string& pattern) {
    return ::fnmatch(pattern.c_str(), text.c_str(), 0) == 0;
  });
}

bool inExcludedFolder(std::string_view relative, const std::vector<std::string>& folders) {
  size_t start = 0;
  // Every component but the last (the file's own name) is a folder.
  for (size_t slash = relative.find('/'); slash != std::string_view::npos;
       slash = relative.find('/', start)) {
    const std::string_view folder = relative.substr(start, slash - start);
    if (std::find(folders.begin(), folders.end(), folder) != folders.end()) return true;
    start = slash + 1;
  }
  return false;
}

}  // namespace

std::vector<std::u16string> filterFiles(std::vector<std::u16string> files,
                                        const std::u16string& root, const FileFilter& filter) {
  if (filter.empty()) return files;
  std::erase_if(files, [&](const std::u16string& file) {
    const std::string relative = relativeBytes(file, root);
    const size_t slash = relative.rfind('/');
    const std::string_view name = slash == std::string::npos
                                      ? std::string_view(relative)
                                      : std::string_view(relative).substr(slash + 1);
    return !nameMatches(name, filter.namePatterns) ||
           inExcludedFolder(relative, filter.excludedFolders);
  });
  return files;
}

}  // namespace cvn::cli
