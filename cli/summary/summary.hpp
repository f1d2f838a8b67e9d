#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "storage/storage.hpp"

namespace cvn::cli {

// What a compare command reports, independent of how it is shown (a table, JSON or CSV).
struct SummaryRow {
  std::string label;               // the language's name, or what set the markers
  std::optional<std::string> key;  // the language's key; none for markers set by hand
  int32_t sessionId = 0;
  SessionTotals totals;
};

// A deleted file taken as renamed; paths after the roots.
struct SummaryRename {
  std::string label;  // of the run
  std::string oldPath;
  std::string newPath;
  int similarity = 0;
};

// One file's counts as --by-file shows them; the legacy comparer has no code and comment split.
struct SummaryFileCounts {
  std::array<std::optional<int64_t>, 4> code;  // same, changed, deleted, new
  std::array<std::optional<int64_t>, 4> comment;
  int64_t blankOld = 0;
  int64_t blankNew = 0;
};

// One file of either tree, for --by-file.
struct SummaryFile {
  std::string path;
  std::optional<std::string> oldPath;   // a rename's
  std::optional<std::string> language;  // key; none for files no language claims
  std::string status;
  std::optional<SummaryFileCounts> counts;  // none when the run stored no row for it
};

struct Summary {
  std::string oldRoot;
  std::string newRoot;
  std::string database;
  bool stored = true;  // false for a run that stores nothing
  int64_t run = 0;     // its id when stored
  // False for the legacy comparer, whose rows have no code and comment split.
  bool split = true;
  std::vector<SummaryRow> rows;
  // Files left out because no language claims their names.
  int64_t unknownOld = 0;
  int64_t unknownNew = 0;
  // Submodules of the revisions compared with --git, whose files another repository holds.
  int64_t submodules = 0;
  std::vector<SummaryRename> renames;
  bool byFile = false;
  std::vector<SummaryFile> files;  // with --by-file

  SessionTotals total() const;
};

}  // namespace cvn::cli
