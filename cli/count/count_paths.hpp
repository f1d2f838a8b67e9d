#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "compare/file_filter.hpp"
#include "count/count_report.hpp"
#include "languages/language_table.hpp"

namespace cvn::cli {

// What to count and with which markers, checked and typed: what "cvn count" and the Python
// module ask for.
struct CountRequest {
  std::vector<std::string> paths;  // files and folders as given
  std::optional<size_t> language;  // one language of the table for every file
  // Markers given by hand, over the language's (or none): every file is counted with them.
  std::optional<std::string> comment;
  std::optional<std::string> begin;
  std::optional<std::string> end;
  LanguageOverrides overrides;  // --lang-for
  FileFilter filter;            // for the files under a folder
};

// The lines of every file named and of every file under a folder named, each file once, on
// every core, summed by language in table order. A folder's files of no language are left out
// and counted; a file named by itself must have one (or markers given).
CountReport countPaths(const CountRequest& request);

}  // namespace cvn::cli
