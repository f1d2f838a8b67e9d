#include "compare/file_filter.hpp"

#include <fnmatch.h>

#include <algorithm>
#include <array>

namespace cvn::cli {
namespace {

// The folders of version control systems, whose files are history, not source.
constexpr std::array<std::string_view, 5> kVcsFolders = {".git", ".hg", ".svn", ".bzr", "_darcs"};

std::string_view nameOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool anyMatches(const std::vector<std::string>& patterns, std::string_view path) {
  if (patterns.empty()) return false;
  const std::string whole(path);
  const std::string name(nameOf(path));
  return std::any_of(patterns.begin(), patterns.end(), [&](const std::string& pattern) {
    const bool byPath = pattern.find('/') != std::string::npos;
    return ::fnmatch(pattern.c_str(), (byPath ? whole : name).c_str(), FNM_CASEFOLD) == 0;
  });
}

}  // namespace

std::string normalPattern(std::string_view typed) {
  while (typed.starts_with("./")) typed.remove_prefix(2);
  while (typed.size() > 1 && typed.ends_with('/')) typed.remove_suffix(1);
  return std::string(typed);
}

bool FileFilter::keepsFile(std::string_view path) const {
  return (match.empty() || anyMatches(match, path)) && !anyMatches(exclude, path);
}

bool FileFilter::skipsFolder(std::string_view path) const {
  if (!includeVcs &&
      std::find(kVcsFolders.begin(), kVcsFolders.end(), nameOf(path)) != kVcsFolders.end()) {
    return true;
  }
  return anyMatches(excludeDirs, path);
}

}  // namespace cvn::cli
