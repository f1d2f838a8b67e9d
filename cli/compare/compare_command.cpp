#include "compare/compare_command.hpp"

#include <fmt/chrono.h>
#include <fmt/format.h>

#include <unistd.h>

#include <charconv>
#include <ctime>
#include <limits>
#include <memory>
#include <mutex>

#include "app/failure.hpp"
#include "app/interrupt.hpp"
#include "app/numbers.hpp"
#include "app/paths.hpp"
#include "compare/compare_options.hpp"
#include "compare/comparer_runner.hpp"
#include "compare/file_filter.hpp"
#include "compare/file_results.hpp"
#include "compare/git_tree.hpp"
#include "compare/ordered_statements.hpp"
#include "compare/progress_bar.hpp"
#include "compare/renames.hpp"
#include "compare/sql_script.hpp"
#include "compare/storable_text.hpp"
#include "compare/tree_listing.hpp"
#include "component/corvane.hpp"
#include "languages/language_table.hpp"
#include "output/standard_output.hpp"
#include "platform/error.hpp"
#include "platform/utf.hpp"
#include "report/report_command.hpp"
#include "storage/storage.hpp"
#include "summary/summary_format.hpp"

namespace cvn::cli {
namespace {

// The root as the component gets it; anything but an existing folder is "path not found".
std::u16string checkedRoot(const std::string& typed) {
  const std::string normal = normalRoot(typed);
  const std::u16string root = utf8ToUtf16(normal);
  Corvane checker;
  if (root.empty() || checker.checkDirExists(root) == 0) {
    raise(kPathNotFound, normal.empty() ? "\"\"" : normal);
  }
  return root;
}

// The first of count consecutive session ids, failing with the overflow error when the
// last would not fit in 32 bits.
int32_t firstSessionId(int64_t first, size_t count) {
  const int64_t last = first + static_cast<int64_t>(count) - (count > 0 ? 1 : 0);
  if (first < std::numeric_limits<int32_t>::min() || last > std::numeric_limits<int32_t>::max()) {
    raise(kOverflow, fmt::format("session ids {} to {}", first, last));
  }
  return static_cast<int32_t>(first);
}

std::vector<SummaryFile> summaryFiles(const std::vector<FileEntry>& entries) {
  std::vector<SummaryFile> files;
  files.reserve(entries.size());
  for (const FileEntry& entry : entries) {
    SummaryFile file{entry.path, entry.oldPath, entry.language, entry.status, {}};
    if (entry.counts) {
      const FileCounts& c = *entry.counts;
      file.counts =
          SummaryFileCounts{{c.codeSame, c.codeChanged, c.codeDeleted, c.codeAdded},
                            {c.commentSame, c.commentChanged, c.commentDeleted, c.commentAdded},
                            c.blankOld,
                            c.blankNew};
    }
    files.push_back(std::move(file));
  }
  return files;
}

std::string utcNow() {
  return fmt::format("{:%Y-%m-%dT%H:%M:%SZ}", fmt::gmtime(std::time(nullptr)));
}

// Where the trees came from when they are revisions of a git repository.
struct GitSource {
  std::string repository;  // absolute
  std::string oldRevision;
  std::string newRevision;
};

class CompareCommand final : public Command {
 public:
  std::string_view name() const override { return "compare"; }
  std::string_view description() const override {
    return "Compare two versions of a source tree and store the line counts";
  }
  void addOptions(CLI::App& subcommand) override { options_.addTo(subcommand); }
  void run() override;

 private:
  void compare();
  void readOptions();
  RunPlan plan(std::vector<std::u16string> oldFiles, std::vector<std::u16string> newFiles) const;
  void compareRuns(const RunPlan& plan, int32_t firstSession, OrderedStatements& ordered,
                   ProgressBar& bar, const std::function<void(size_t)>& recordRun = {},
                   std::vector<RunFiles>* files = nullptr) const;
  std::vector<FileEntry> fileEntries(const RunPlan& plan, const std::vector<RunFiles>& files) const;
  static std::vector<FileStatusRecord> statusRecords(const std::vector<FileEntry>& entries,
                                                     int64_t runId, int32_t firstSession);
  void printStatements(const RunPlan& plan, int32_t firstSession, ProgressBar& bar) const;
  void printScript(const RunPlan& plan, int32_t firstSession, const std::string& started,
                   ProgressBar& bar) const;
  std::vector<RenameRecord> renameRecords(size_t run, int32_t sessionId, int64_t runId) const;
  RunHeader header(int64_t runId, const std::string& started) const;
  // Returns the run's id.
  int64_t store(const RunPlan& plan, const std::string& started, ProgressBar& bar) const;
  RunRecord record(const PlannedRun& run, int32_t sessionId, const std::string& started) const;
  ProgressCallback progressFor(const RunPlan& plan, size_t run, ProgressBar& bar) const;

  CompareOptions options_;
  ComparisonSettings settings_;
  std::optional<size_t> language_;
  std::optional<int32_t> session_;
  SummaryFormat format_ = SummaryFormat::kTable;
  bool script_ = false;  // --format sql
  FileFilter filter_;
  std::optional<GitSource> git_;
  int64_t submodules_ = 0;  // left out of the revisions
  std::optional<std::string> oldCommit_;
  std::optional<std::string> newCommit_;
  std::optional<int> renames_;  // the least similarity of a rename, when asked for
  std::vector<std::vector<Rename>> renamesFound_;  // of each run
  // The roots as the summary shows them.
  std::string shownOld_;
  std::string shownNew_;
  // Runs of several languages report their progress from the pool's threads.
  mutable std::mutex barMutex_;
};

void CompareCommand::run() {
  InterruptGuard interrupts;
  try {
    compare();
  } catch (const Interrupted& stop) {
    // Everything is cleaned up by now: end the way the signal asked for.
    interrupts.endBy(stop.signal());
  }
}

void CompareCommand::readOptions() {
  settings_.threshold = parseInt16Option("--threshold", options_.threshold);
  if (given(options_.sessionOption)) {
    session_ = parseInt32Option("--session", options_.session);
    if (*session_ < 1) {
      throw CommandError(fmt::format("--session {}: a session id is 1 or more", *session_));
    }
  }
  settings_.compareType = utf8ToUtf16(options_.type);
  settings_.legacy = options_.legacy;
  settings_.folding = {options_.ignoreWhitespace, options_.ignoreCase};
  if (given(options_.renamesOption)) {
    const std::string text = options_.renames == "true" ? "50" : options_.renames;
    int percent = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), percent);
    if (error != std::errc() || end != text.data() + text.size() || percent < 1 || percent > 100) {
      throw CommandError(
          fmt::format("--renames: \"{}\" is not a percentage from 1 to 100", options_.renames));
    }
    renames_ = percent;
  }
  settings_.pool = std::make_shared<WorkPool>(options_.jobs);
  if (given(options_.langOption)) {
    language_ = findLanguage(options_.lang);
    if (!language_) {
      throw CommandError(
          fmt::format("--lang: no language \"{}\" (cvn compare --help lists them)", options_.lang));
    }
  }
  if (!options_.sql && options_.db.empty()) throw CommandError("--db: the path is empty");
  script_ = options_.format == "sql";
  if (script_ && (given(options_.dbOption) || options_.noDb)) {
    throw CommandError(
        "--format sql prints a script and stores nothing: leave out --db and --no-db");
  }
  if (!script_) format_ = summaryFormatNamed(options_.format);
  if (given(options_.reportOption) && (options_.noDb || options_.sql || script_)) {
    throw CommandError(
        "--report draws the stored run: it needs a database, not --no-db, --sql or --format sql");
  }
  filter_ = {options_.match, options_.excludeDir};
  if (given(options_.gitOption)) {
    git_ = GitSource{normalRoot(options_.git.at(0)), options_.git.at(1), options_.git.at(2)};
  } else if (!given(options_.oldOption) || !given(options_.newOption)) {
    throw CommandError("compare needs the folders old and new, or --git REPO REV1 REV2");
  }
}

void CompareCommand::compare() {
  const std::string started = utcNow();
  // Options first, so that a bad one fails before any file is read.
  readOptions();

  // The revisions are read from the repository while this function runs.
  std::unique_ptr<GitTrees> trees;
  std::optional<ScopedFileSystem> treesInstalled;
  if (git_) {
    trees = std::make_unique<GitTrees>(git_->repository);
    treesInstalled.emplace(*trees);
    settings_.oldRoot = checkedRoot(trees->add(git_->oldRevision));
    settings_.newRoot = checkedRoot(trees->add(git_->newRevision));
    submodules_ = trees->submodules();
    oldCommit_ = trees->commitOf(git_->oldRevision);
    newCommit_ = trees->commitOf(git_->newRevision);
    shownOld_ = fmt::format("{} at {}", git_->repository, git_->oldRevision);
    shownNew_ = fmt::format("{} at {}", git_->repository, git_->newRevision);
  } else {
    settings_.oldRoot = checkedRoot(options_.oldRoot);
    settings_.newRoot = checkedRoot(options_.newRoot);
    shownOld_ = utf16ToUtf8(settings_.oldRoot);
    shownNew_ = utf16ToUtf8(settings_.newRoot);
  }
  std::vector<std::u16string> oldFiles =
      filterFiles(listTree(settings_.oldRoot), settings_.oldRoot, filter_);
  std::vector<std::u16string> newFiles =
      filterFiles(listTree(settings_.newRoot), settings_.newRoot, filter_);
  RunPlan runs = plan(std::move(oldFiles), std::move(newFiles));
  throwIfInterrupted();

  // Renamed files are listed under their new names and read from their old places.
  RenamedFiles renamed(FileSystem::current());
  std::optional<ScopedFileSystem> renamedInstalled;
  if (renames_) {
    for (PlannedRun& run : runs.runs) {
      renamesFound_.push_back(
          findRenames(run, settings_.oldRoot, settings_.newRoot, *renames_, *settings_.pool));
      renamed.add(run, settings_.oldRoot, settings_.newRoot, renamesFound_.back());
    }
    renamedInstalled.emplace(renamed);
    throwIfInterrupted();
  }

  ProgressBar bar(STDERR_FILENO, !options_.quiet && ::isatty(STDERR_FILENO) == 1);
  bar.setRoots(settings_.oldRoot, settings_.newRoot);
  if (options_.sql) {
    printStatements(runs, firstSessionId(session_.value_or(1), runs.runs.size()), bar);
  } else if (script_) {
    printScript(runs, firstSessionId(session_.value_or(1), runs.runs.size()), started, bar);
  } else {
    const int64_t run = store(runs, started, bar);
    if (given(options_.reportOption)) writeReport(options_.db, run, options_.report);
  }
}

RunPlan CompareCommand::plan(std::vector<std::u16string> oldFiles,
                             std::vector<std::u16string> newFiles) const {
  const bool handMarkers =
      given(options_.commentOption) || given(options_.beginOption) || given(options_.endOption);
  if (!language_ && !handMarkers) return planByLanguage(oldFiles, newFiles);

  Markers markers = language_ ? languageMarkers(*language_) : Markers{};
  if (given(options_.commentOption)) markers.comment = utf8ToUtf16(options_.comment);
  if (given(options_.beginOption)) markers.begin = utf8ToUtf16(options_.begin);
  if (given(options_.endOption)) markers.end = utf8ToUtf16(options_.end);
  std::string label = "custom markers";
  std::optional<std::string> key;
  if (language_) {
    label = languages()[*language_].name;
    key = languages()[*language_].key;
  }
  return planSingleRun(std::move(label), std::move(key), std::move(markers), std::move(oldFiles),
                       std::move(newFiles));
}

ProgressCallback CompareCommand::progressFor(const RunPlan& plan, size_t run,
                                             ProgressBar& bar) const {
  std::string label = plan.runs[run].label;
  if (plan.runs.size() > 1) label = fmt::format("[{}/{}] {}", run + 1, plan.runs.size(), label);
  // Called before each file: also the point where a signal stops the comparison.
  return [this, &bar, label = std::move(label)](int64_t done, int64_t total,
                                                const std::u16string& file) {
    throwIfInterrupted();
    const std::lock_guard lock(barMutex_);
    bar.update(label, done, total, file);
  };
}

void CompareCommand::compareRuns(const RunPlan& plan, int32_t firstSession,
                                 OrderedStatements& ordered, ProgressBar& bar,
                                 const std::function<void(size_t)>& recordRun,
                                 std::vector<RunFiles>* files) const {
  if (files != nullptr) files->resize(plan.runs.size());
  // Languages are compared two at a time, their files on the pool: the later one's
  // statements wait in memory until the earlier one's are stored.
  settings_.pool->forEachInOrder(
      plan.runs.size(),
      [&](size_t k) -> WorkPool::Finish {
        // A run's statements and pairs come on the one thread that compares it.
        RunFiles* runFiles = files != nullptr ? &(*files)[k] : nullptr;
        runComparison(
            settings_, plan.runs[k], firstSession + static_cast<int32_t>(k),
            progressFor(plan, k, bar),
            [&ordered, k, runFiles, counts = options_.byFile](std::u16string_view text) {
              // Only the listing shows each file's counts; the statuses need none.
              if (runFiles != nullptr && counts) collectFileCounts(text, *runFiles);
              ordered.add(k, text);
            },
            [runFiles](const std::u16string& name, bool identical) {
              if (runFiles != nullptr && identical) runFiles->identical.insert(utf16ToUtf8(name));
            });
        return [&ordered, &recordRun, k] {
          ordered.finish(k, [&recordRun, k] {
            if (recordRun) recordRun(k);
          });
        };
      },
      {}, 2);
}

void CompareCommand::printStatements(const RunPlan& plan, int32_t firstSession,
                                     ProgressBar& bar) const {
  // Everything is compared before anything is written: a failure prints no statement.
  std::string statements;
  OrderedStatements ordered(plan.runs.size(),
                            [&statements](std::string_view text) { statements += text; });
  compareRuns(plan, firstSession, ordered, bar);
  bar.clear();
  writeStandardOutput(statements);
}

void CompareCommand::printScript(const RunPlan& plan, int32_t firstSession,
                                 const std::string& started, ProgressBar& bar) const {
  // As with --sql, everything is compared before anything is printed.
  SqlScript script;
  script.addRunHeader(header(0, started));
  OrderedStatements ordered(plan.runs.size(),
                            [&script](std::string_view text) { script.addStatements(text); });
  std::vector<RunFiles> files;
  compareRuns(
      plan, firstSession, ordered, bar,
      [&](size_t k) {
        const int32_t id = firstSession + static_cast<int32_t>(k);
        script.addRun(record(plan.runs[k], id, started));
        for (const RenameRecord& rename : renameRecords(k, id, 0)) script.addRename(rename);
      },
      &files);
  for (const FileStatusRecord& file : statusRecords(fileEntries(plan, files), 0, firstSession)) {
    script.addFileStatus(file);
  }
  bar.clear();
  writeStandardOutput(script.finish());
}

std::vector<RenameRecord> CompareCommand::renameRecords(size_t run, int32_t sessionId,
                                                        int64_t runId) const {
  std::vector<RenameRecord> records;
  if (run >= renamesFound_.size()) return records;
  for (const Rename& rename : renamesFound_[run]) {
    records.push_back({runId, sessionId, pathAfterRoot(rename.oldFile, settings_.oldRoot),
                       pathAfterRoot(rename.newFile, settings_.newRoot), rename.similarity});
  }
  return records;
}

std::vector<FileEntry> CompareCommand::fileEntries(const RunPlan& plan,
                                                   const std::vector<RunFiles>& files) const {
  return listFileEntries(plan, settings_.oldRoot, settings_.newRoot, renamesFound_, files,
                         settings_.compareType == u"2");
}

std::vector<FileStatusRecord> CompareCommand::statusRecords(const std::vector<FileEntry>& entries,
                                                            int64_t runId, int32_t firstSession) {
  std::vector<FileStatusRecord> records;
  for (const FileEntry& entry : entries) {
    if (!entry.language && entry.status == "not counted") continue;
    records.push_back({runId, firstSession + static_cast<int32_t>(entry.run), entry.path,
                       entry.status, entry.oldPath});
  }
  return records;
}

RunHeader CompareCommand::header(int64_t runId, const std::string& started) const {
  RunHeader run;
  run.id = runId;
  run.started = started;
  run.oldRoot = utf16ToUtf8(settings_.oldRoot);
  run.newRoot = utf16ToUtf8(settings_.newRoot);
  if (git_) {
    run.gitRepo = git_->repository;
    run.oldRevision = git_->oldRevision;
    run.newRevision = git_->newRevision;
    run.oldCommit = oldCommit_;
    run.newCommit = newCommit_;
  }
  run.legacy = settings_.legacy;
  run.compareType = utf16ToUtf8(settings_.compareType);
  run.threshold = settings_.threshold;
  run.ignoreWhitespace = settings_.folding.ignoreWhitespace;
  run.ignoreCase = settings_.folding.ignoreCase;
  run.renames = renames_;
  return run;
}

RunRecord CompareCommand::record(const PlannedRun& run, int32_t sessionId,
                                 const std::string& started) const {
  RunRecord record{sessionId,
                   utf16ToUtf8(settings_.oldRoot),
                   utf16ToUtf8(settings_.newRoot),
                   run.languageKey,
                   utf16ToUtf8(run.markers.comment),
                   utf16ToUtf8(run.markers.begin),
                   utf16ToUtf8(run.markers.end),
                   settings_.threshold,
                   utf16ToUtf8(settings_.compareType),
                   settings_.legacy,
                   started,
                   {},
                   {},
                   {},
                   settings_.folding.ignoreWhitespace,
                   settings_.folding.ignoreCase,
                   renames_};
  if (git_) {
    record.gitRepo = git_->repository;
    record.oldRevision = git_->oldRevision;
    record.newRevision = git_->newRevision;
  }
  return record;
}

int64_t CompareCommand::store(const RunPlan& plan, const std::string& started,
                              ProgressBar& bar) const {
  // Without a database the rows still go through one in memory, for the summary.
  const std::unique_ptr<Storage> storage = openStorage(options_.noDb ? ":memory:" : options_.db);
  std::vector<RunRecord> records;
  for (const PlannedRun& run : plan.runs) records.push_back(record(run, 0, started));
  checkStorable(*storage, settings_, plan, records);

  Summary summary;
  std::vector<FileEntry> entries;
  try {
    storage->begin();
    const int64_t next = session_ ? *session_ : storage->nextSessionId();
    const int32_t first = firstSessionId(next, plan.runs.size());
    // A session given twice would mix two runs' rows.
    if (const auto held = storage->heldSession(first, first + int64_t(plan.runs.size()) - 1)) {
      throw CommandError(
          fmt::format("--session {}: {} holds session {} already", first, storage->name(), *held));
    }
    OrderedStatements ordered(
        plan.runs.size(), [&storage](std::string_view text) { storage->executeStatements(text); });
    const int64_t runId = storage->nextRunId();
    storage->recordRunHeader(header(runId, started));
    summary.run = runId;
    std::vector<RunFiles> files;
    compareRuns(
        plan, first, ordered, bar,
        [&](size_t k) {
          records[k].sessionId = first + static_cast<int32_t>(k);
          records[k].run = runId;
          storage->recordRun(records[k]);
          for (const RenameRecord& rename : renameRecords(k, records[k].sessionId, runId)) {
            storage->recordRename(rename);
          }
        },
        &files);
    entries = fileEntries(plan, files);
    storage->recordFileStatuses(statusRecords(entries, runId, first));
    // Read back, so the summary shows what the database holds.
    for (size_t k = 0; k < plan.runs.size(); ++k) {
      const int32_t id = first + static_cast<int32_t>(k);
      summary.rows.push_back(
          {plan.runs[k].label, plan.runs[k].languageKey, id, storage->readTotals(id)});
    }
    throwIfInterrupted();
    storage->commit();
  } catch (...) {
    storage->rollback();
    throw;
  }
  bar.clear();
  if (options_.quiet) return summary.run;
  summary.oldRoot = shownOld_;
  summary.newRoot = shownNew_;
  summary.database = storage->name();
  summary.stored = !options_.noDb;
  summary.split = !settings_.legacy;
  summary.unknownOld = plan.unknownOld;
  summary.unknownNew = plan.unknownNew;
  summary.submodules = submodules_;
  summary.byFile = options_.byFile;
  if (options_.byFile) summary.files = summaryFiles(entries);
  for (size_t k = 0; k < renamesFound_.size(); ++k) {
    for (const Rename& rename : renamesFound_[k]) {
      summary.renames.push_back(
          {plan.runs[k].label, pathAfterRoot(rename.oldFile, settings_.oldRoot),
           pathAfterRoot(rename.newFile, settings_.newRoot), rename.similarity});
    }
  }
  writeStandardOutput(renderSummary(summary, format_));
  return summary.run;
}

}  // namespace

std::unique_ptr<Command> makeCompareCommand() {
  return std::make_unique<CompareCommand>();
}

}  // namespace cvn::cli
