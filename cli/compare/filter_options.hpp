#pragma once

#include <string>
#include <vector>

#include "compare/file_filter.hpp"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace cvn::cli {

// The options that choose the files of a tree, as "cvn compare" and "cvn count" share them.
struct FilterOptions {
  std::vector<std::string> match;
  std::vector<std::string> exclude;
  std::vector<std::string> excludeDirs;
  bool includeVcs = false;
  bool gitignore = false;

  // Adds --match, --exclude, --exclude-dir, --include-vcs and --gitignore; returns the last.
  CLI::Option* addTo(CLI::App& app);
  // The filter they ask for, with its patterns in normal form.
  FileFilter filter() const;
};

}  // namespace cvn::cli
