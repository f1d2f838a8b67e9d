#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "compare/renames.hpp"
#include "compare/run_plan.hpp"

namespace cvn::cli {

// One file's counts as the component's statement reports them; the code and comment
// columns are missing from the legacy comparer's rows.
struct FileCounts {
  int64_t same = 0, changed = 0, deleted = 0, added = 0;
  std::optional<int64_t> codeSame, codeChanged, codeDeleted, codeAdded;
  std::optional<int64_t> commentSame, commentChanged, commentDeleted, commentAdded;
  int64_t blankOld = 0, blankNew = 0;
  int64_t linesOld = 0, linesNew = 0;
};

// What the command learns of one run's files while it is compared.
struct RunFiles {
  std::unordered_map<std::string, FileCounts> counts;  // by the name the statement stores
  std::unordered_set<std::string> identical;           // pairs that hold the same bytes
};

// Adds the per-file statements of a statement list ("|||" after each) to the counts.
void collectFileCounts(std::u16string_view statements, RunFiles& files);

// One file of either tree as --by-file lists it.
struct FileEntry {
  std::string path;                     // after the root; the new one for a rename
  std::optional<std::string> oldPath;   // a rename's old path
  std::optional<std::string> language;  // the run's language key; none when not counted
  std::string status;  // unchanged, modified, new, deleted, renamed or "not counted"
  std::optional<FileCounts> counts;
  size_t run = 0;  // index in the plan
};

// Every file of both trees: each run's files in listing order (the old list, then what is
// new), then the files no language claims. A pair is unchanged when both files hold the
// same bytes, as the component said of the pairs it compared; when it compared none
// (pairsCompared false: compare type 1), the files are read.
std::vector<FileEntry> listFileEntries(const RunPlan& plan, const std::u16string& oldRoot,
                                       const std::u16string& newRoot,
                                       const std::vector<std::vector<Rename>>& renames,
                                       const std::vector<RunFiles>& files, bool pairsCompared);

}  // namespace cvn::cli
