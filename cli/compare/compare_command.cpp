#include "compare/compare_command.hpp"

#include <fmt/format.h>

#include <unistd.h>

#include <charconv>
#include <memory>
#include <mutex>

#include "app/failure.hpp"
#include "app/interrupt.hpp"
#include "app/numbers.hpp"
#include "app/paths.hpp"
#include "compare/compare_options.hpp"
#include "compare/progress_bar.hpp"
#include "compare/run_bytes.hpp"
#include "compare/tree_comparison.hpp"
#include "compare/tree_listing.hpp"
#include "languages/language_table.hpp"
#include "output/standard_output.hpp"
#include "platform/utf.hpp"
#include "report/report_command.hpp"
#include "summary/summary_format.hpp"

namespace cvn::cli {
namespace {

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
  ComparisonRequest readOptions();
  // Returns the run's id.
  int64_t store(const TreeComparison& comparison, const std::string& started,
                const RunProgress& progress, ProgressBar& bar) const;

  CompareOptions options_;
  std::optional<int32_t> session_;
  SummaryFormat format_ = SummaryFormat::kTable;
  bool script_ = false;  // --format sql
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

ComparisonRequest CompareCommand::readOptions() {
  ComparisonRequest request;
  request.threshold = parseInt16Option("--threshold", options_.threshold);
  if (given(options_.sessionOption)) {
    session_ = parseInt32Option("--session", options_.session);
    if (*session_ < 1) {
      throw CommandError(fmt::format("--session {}: a session id is 1 or more", *session_));
    }
  }
  request.compareType = utf8ToUtf16(options_.type);
  request.legacy = options_.legacy;
  request.folding = {options_.ignoreWhitespace, options_.ignoreCase};
  if (given(options_.renamesOption)) {
    const std::string text = options_.renames == "true" ? "50" : options_.renames;
    int percent = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), percent);
    if (error != std::errc() || end != text.data() + text.size() || percent < 1 || percent > 100) {
      throw CommandError(
          fmt::format("--renames: \"{}\" is not a percentage from 1 to 100", options_.renames));
    }
    request.renames = percent;
  }
  request.jobs = options_.jobs;
  if (given(options_.langOption)) {
    request.language = findLanguage(options_.lang);
    if (!request.language) {
      throw CommandError(
          fmt::format("--lang: no language \"{}\" (cvn compare --help lists them)", options_.lang));
    }
  }
  for (const std::string& text : options_.langFor) {
    request.languageFor.push_back(parseLanguageOverride(text));
  }
  if (given(options_.commentOption)) request.comment = options_.comment;
  if (given(options_.beginOption)) request.begin = options_.begin;
  if (given(options_.endOption)) request.end = options_.end;
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
  request.filter = options_.filter.filter();
  if (given(options_.gitOption)) {
    request.git = GitSource{normalRoot(options_.git.at(0)), options_.git.at(1), options_.git.at(2)};
  } else if (!given(options_.oldOption) || !given(options_.newOption)) {
    throw CommandError("compare needs the folders old and new, or --git REPO REV1 REV2");
  }
  request.oldRoot = options_.oldRoot;
  request.newRoot = options_.newRoot;
  return request;
}

void CompareCommand::compare() {
  const std::string started = utcNow();
  // Options first, so that a bad one fails before any file is read.
  const TreeComparison comparison(readOptions());
  throwIfInterrupted();

  ProgressBar bar(STDERR_FILENO, !options_.quiet && ::isatty(STDERR_FILENO) == 1);
  bar.setRoots(comparison.oldRoot(), comparison.newRoot());
  // On a terminal the bar advances by bytes, which takes a look at every file's size first.
  std::optional<RunBytes> bytes;
  std::vector<uint64_t> bytesDone(comparison.plan().runs.size());
  if (bar.enabled()) bytes.emplace(comparison.plan(), comparison.oldRoot(), comparison.newRoot());
  // Runs of several languages report their progress from the pool's threads. Called
  // before each file: also the point where a signal stops the comparison.
  std::mutex barMutex;
  const RunProgress progress = [&](size_t run, std::string_view label, int64_t done, int64_t total,
                                   const std::u16string& file) {
    throwIfInterrupted();
    if (!bytes) return;
    const std::lock_guard lock(barMutex);
    bar.update(label, done, total, file, bytesDone[run], bytes->total(run));
    if (done < total) bytesDone[run] += bytes->ofFile(file);
  };
  const size_t runs = comparison.plan().runs.size();
  if (options_.sql) {
    // Everything is compared before anything is written: a failure prints no statement.
    std::string text = comparison.statements(firstSessionId(session_.value_or(1), runs), progress);
    bar.clear();
    writeStandardOutput(text);
  } else if (script_) {
    std::string text =
        comparison.script(firstSessionId(session_.value_or(1), runs), started, progress);
    bar.clear();
    writeStandardOutput(text);
  } else {
    const int64_t run = store(comparison, started, progress, bar);
    if (given(options_.reportOption)) writeReport(options_.db, run, options_.report);
  }
}

int64_t CompareCommand::store(const TreeComparison& comparison, const std::string& started,
                              const RunProgress& progress, ProgressBar& bar) const {
  // Without a database the rows still go through one in memory, for the summary.
  const std::unique_ptr<Storage> storage = openStorage(options_.noDb ? ":memory:" : options_.db,
                                                       std::chrono::seconds(options_.busyTimeout));
  StoredComparison stored =
      comparison.store(*storage, session_, started, options_.byFile, progress, throwIfInterrupted);
  bar.clear();
  if (options_.quiet) return stored.runId;

  const RunPlan& plan = comparison.plan();
  Summary summary;
  summary.run = stored.runId;
  summary.rows = std::move(stored.rows);
  summary.oldRoot = comparison.shownOld();
  summary.newRoot = comparison.shownNew();
  summary.database = storage->name();
  summary.stored = !options_.noDb;
  summary.split = !options_.legacy;
  summary.unknownOld = plan.unknownOld;
  summary.unknownNew = plan.unknownNew;
  summary.submodules = comparison.submodules();
  summary.byFile = options_.byFile;
  if (options_.byFile) summary.files = summaryFiles(stored.files);
  for (size_t k = 0; k < comparison.renames().size(); ++k) {
    for (const Rename& rename : comparison.renames()[k]) {
      summary.renames.push_back(
          {plan.runs[k].label, pathAfterRoot(rename.oldFile, comparison.oldRoot()),
           pathAfterRoot(rename.newFile, comparison.newRoot()), rename.similarity});
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
