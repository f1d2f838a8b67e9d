#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compare/comparer_runner.hpp"
#include "compare/file_filter.hpp"
#include "compare/file_results.hpp"
#include "compare/renames.hpp"
#include "compare/run_plan.hpp"
#include "storage/storage.hpp"
#include "summary/summary.hpp"

namespace cvn {
class ScopedFileSystem;
}

namespace cvn::cli {

class GitTrees;

// Where the trees came from when they are revisions of a git repository.
struct GitSource {
  std::string repository;
  std::string oldRevision;
  std::string newRevision;
};

// What to compare and how, checked and typed: what "cvn compare" and other hosts of the
// comparison (the Python module) ask for.
struct ComparisonRequest {
  std::string oldRoot;  // folders as given; unused with git
  std::string newRoot;
  std::optional<GitSource> git;
  std::optional<size_t> language;  // one language of the table for every file
  LanguageOverrides languageFor;   // otherwise, languages by extension over the table's
  // Markers given by hand, over the language's (or none).
  std::optional<std::string> comment;
  std::optional<std::string> begin;
  std::optional<std::string> end;
  int16_t threshold = 10;
  std::u16string compareType = u"2";
  bool legacy = false;
  LineFolding folding;
  std::optional<int> renames;  // the least similarity of a rename, when asked for
  unsigned jobs = 0;           // 0: one thread per core
  FileFilter filter;
};

// Before each file of a run (from the pool's threads) and at its end; may throw to stop.
// label: the run's language, with its place among several runs ("[2/3] Python").
using RunProgress = std::function<void(size_t run, std::string_view label, int64_t done,
                                       int64_t total, const std::u16string& file)>;

// What a stored comparison left in the database.
struct StoredComparison {
  int64_t runId = 0;
  int32_t firstSession = 0;
  std::vector<SummaryRow> rows;  // one per language run, as stored
  std::vector<FileEntry> files;  // with counts when asked for
};

// One comparison of two trees: lists both (with the filter), plans one run per language
// (or one for the given markers), finds renames, and then compares the runs on one pool,
// into a statement list, a script or a database. With git the revisions are read from the
// repository while the object lives.
class TreeComparison {
 public:
  explicit TreeComparison(ComparisonRequest request);
  ~TreeComparison();
  TreeComparison(const TreeComparison&) = delete;
  TreeComparison& operator=(const TreeComparison&) = delete;

  const ComparisonRequest& request() const { return request_; }
  const RunPlan& plan() const { return plan_; }
  const std::u16string& oldRoot() const { return settings_.oldRoot; }
  const std::u16string& newRoot() const { return settings_.newRoot; }
  // The roots as a person reads them ("REPO at REV" for git).
  const std::string& shownOld() const { return shownOld_; }
  const std::string& shownNew() const { return shownNew_; }
  int64_t submodules() const { return submodules_; }
  const std::vector<std::vector<Rename>>& renames() const { return renamesFound_; }

  // Compares every run, handing each run's statements (whole ones) to output in plan order,
  // and then runs finished(k) for it. Returns every file of both trees, with its counts
  // when fileCounts.
  using Output = std::function<void(std::string_view statements)>;
  std::vector<FileEntry> compare(int32_t firstSession, const Output& output,
                                 const std::function<void(size_t run)>& finished, bool fileCounts,
                                 const RunProgress& progress) const;

  // The statement lists of all runs, joined; nothing when a file fails.
  std::string statements(int32_t firstSession, const RunProgress& progress) const;
  // The SQL script of --format sql.
  std::string script(int32_t firstSession, const std::string& started,
                     const RunProgress& progress) const;
  // Stores the run in one transaction: the next session ids unless one is given.
  // beforeCommit may throw to roll everything back.
  StoredComparison store(Storage& storage, std::optional<int32_t> session,
                         const std::string& started, bool fileCounts, const RunProgress& progress,
                         const std::function<void()>& beforeCommit = {}) const;

 private:
  // The one run of every file, with the language or markers given.
  RunPlan makePlan(std::vector<std::u16string> oldFiles,
                   std::vector<std::u16string> newFiles) const;
  std::vector<RenameRecord> renameRecords(size_t run, int32_t sessionId, int64_t runId) const;
  std::vector<FileStatusRecord> statusRecords(const std::vector<FileEntry>& entries, int64_t runId,
                                              int32_t firstSession) const;
  RunHeader header(int64_t runId, const std::string& started) const;
  RunRecord record(const PlannedRun& run, int32_t sessionId, const std::string& started) const;

  ComparisonRequest request_;
  ComparisonSettings settings_;
  std::unique_ptr<GitTrees> trees_;
  std::unique_ptr<ScopedFileSystem> treesInstalled_;
  std::unique_ptr<RenamedFiles> renamed_;
  std::unique_ptr<ScopedFileSystem> renamedInstalled_;
  RunPlan plan_;
  std::vector<std::vector<Rename>> renamesFound_;  // of each run
  int64_t submodules_ = 0;
  std::optional<std::string> oldCommit_;
  std::optional<std::string> newCommit_;
  std::string shownOld_;
  std::string shownNew_;
};

// The first of count consecutive session ids, failing with the overflow error when the
// last would not fit in 32 bits.
int32_t firstSessionId(int64_t first, size_t count);

// Now, as runs record it.
std::string utcNow();

}  // namespace cvn::cli
