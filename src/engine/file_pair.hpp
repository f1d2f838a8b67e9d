#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/comparer_state.hpp"

namespace cvn {

// Counts of one category (comment or code lines) of a file pair.
struct CategoryCounts {
  int32_t linesOne = 0;  // non-blank lines of the old file
  int32_t linesTwo = 0;
  int32_t blankOne = 0;  // blank lines met while in this category
  int32_t blankTwo = 0;
  int32_t same = 0;
  int32_t changed = 0;
  int32_t deleted = 0;
  int32_t added = 0;

  friend bool operator==(const CategoryCounts&, const CategoryCounts&) = default;
};

struct FilePairCounts {
  CategoryCounts comment;
  CategoryCounts code;

  friend bool operator==(const FilePairCounts&, const FilePairCounts&) = default;
};

// Compares the lines of two files already read: each file is classified from
// outside a multi-line comment, blank lines are left out, and within each
// category lines pair first by identical text, then by similarity.
FilePairCounts compareLines(std::span<const std::string_view> linesOne,
                            std::span<const std::string_view> linesTwo, const ComparerState& state);
// The same for two files' bytes, split into lines as forEachLine splits them.
FilePairCounts compareTexts(std::string_view textOne, std::string_view textTwo,
                            const ComparerState& state);

// compareMatchedFiles of the current comparer: reads both files, counts,
// appends one per-file statement to the statement list and returns the report
// (19 records "key<TAB>value" joined by carriage returns).
std::u16string compareMatchedFiles(ComparerState& state, const std::u16string& strRootDir,
                                   const std::u16string& fileOne, const std::u16string& fileTwo);

// The same in two steps: reading and counting, which reads only the settings
// and so may run on any thread, then the report and the statement.
struct FilePairResult {
  FilePairCounts counts;
  std::u16string name;     // fileOne after the root
  bool identical = false;  // both files hold the same bytes
};
FilePairResult countFilePair(const ComparerState& settings, const std::u16string& strRootDir,
                             const std::u16string& fileOne, const std::u16string& fileTwo);
// The pair's statement, on any thread, as reportFilePair appends it to the list.
std::u16string filePairStatement(const ComparerState& settings, const FilePairResult& pair);
std::u16string reportFilePair(ComparerState& state, const FilePairResult& pair);

// The part of a path after as many characters as the root has.
std::u16string nameAfterRoot(const std::u16string& path, const std::u16string& root);

}  // namespace cvn
