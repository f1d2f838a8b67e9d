#include "compare/compare_command.hpp"

#include <fmt/chrono.h>
#include <fmt/format.h>

#include <cstdio>
#include <ctime>
#include <limits>

#include "app/failure.hpp"
#include "app/numbers.hpp"
#include "app/paths.hpp"
#include "compare/compare_options.hpp"
#include "compare/comparer_runner.hpp"
#include "compare/tree_listing.hpp"
#include "component/corvane.hpp"
#include "languages/language_table.hpp"
#include "platform/error.hpp"
#include "platform/utf.hpp"
#include "storage/storage.hpp"
#include "summary/table_renderer.hpp"

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

void writeOut(std::string_view bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
      std::fflush(stdout) != 0) {
    throw CommandError("cannot write to standard output");
  }
}

std::string utcNow() {
  return fmt::format("{:%Y-%m-%dT%H:%M:%SZ}", fmt::gmtime(std::time(nullptr)));
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
  RunPlan plan(std::vector<std::u16string> oldFiles, std::vector<std::u16string> newFiles) const;
  void printStatements(const RunPlan& plan, int32_t firstSession) const;
  void store(const RunPlan& plan, const std::string& started) const;
  RunRecord record(const PlannedRun& run, int32_t sessionId, const std::string& started) const;

  CompareOptions options_;
  ComparisonSettings settings_;
  std::optional<size_t> language_;
  std::optional<int32_t> session_;
};

void CompareCommand::run() {
  const std::string started = utcNow();
  // Options first, so that a bad one fails before any file is read.
  settings_.threshold = parseInt16Option("--threshold", options_.threshold);
  if (given(options_.sessionOption)) session_ = parseInt32Option("--session", options_.session);
  settings_.compareType = utf8ToUtf16(options_.type);
  settings_.legacy = options_.legacy;
  if (given(options_.langOption)) {
    language_ = findLanguage(options_.lang);
    if (!language_) {
      throw CommandError(
          fmt::format("--lang: no language \"{}\" (cvn compare --help lists them)", options_.lang));
    }
  }
  if (!options_.sql && options_.db.empty()) throw CommandError("--db: the path is empty");

  settings_.oldRoot = checkedRoot(options_.oldRoot);
  settings_.newRoot = checkedRoot(options_.newRoot);
  std::vector<std::u16string> oldFiles = listTree(settings_.oldRoot);
  std::vector<std::u16string> newFiles = listTree(settings_.newRoot);
  const RunPlan runs = plan(std::move(oldFiles), std::move(newFiles));

  if (options_.sql) {
    printStatements(runs, firstSessionId(session_.value_or(1), runs.runs.size()));
  } else {
    store(runs, started);
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

void CompareCommand::printStatements(const RunPlan& plan, int32_t firstSession) const {
  // Everything is compared before anything is written: a failure prints no statement.
  std::string statements;
  for (size_t k = 0; k < plan.runs.size(); ++k) {
    statements +=
        utf16ToUtf8(runComparison(settings_, plan.runs[k], firstSession + static_cast<int32_t>(k)));
  }
  writeOut(statements);
}

RunRecord CompareCommand::record(const PlannedRun& run, int32_t sessionId,
                                 const std::string& started) const {
  return {sessionId,
          utf16ToUtf8(settings_.oldRoot),
          utf16ToUtf8(settings_.newRoot),
          run.languageKey,
          utf16ToUtf8(run.markers.comment),
          utf16ToUtf8(run.markers.begin),
          utf16ToUtf8(run.markers.end),
          settings_.threshold,
          utf16ToUtf8(settings_.compareType),
          settings_.legacy,
          started};
}

void CompareCommand::store(const RunPlan& plan, const std::string& started) const {
  const std::unique_ptr<Storage> storage = openStorage(options_.db);
  Summary summary;
  try {
    storage->begin();
    const int64_t next = session_ ? *session_ : storage->nextSessionId();
    const int32_t first = firstSessionId(next, plan.runs.size());
    for (size_t k = 0; k < plan.runs.size(); ++k) {
      const int32_t id = first + static_cast<int32_t>(k);
      storage->executeStatements(utf16ToUtf8(runComparison(settings_, plan.runs[k], id)));
      storage->recordRun(record(plan.runs[k], id, started));
    }
    // Read back, so the summary shows what the database holds.
    for (size_t k = 0; k < plan.runs.size(); ++k) {
      const int32_t id = first + static_cast<int32_t>(k);
      summary.rows.push_back({plan.runs[k].label, id, storage->readTotals(id)});
    }
    storage->commit();
  } catch (...) {
    storage->rollback();
    throw;
  }
  summary.oldRoot = utf16ToUtf8(settings_.oldRoot);
  summary.newRoot = utf16ToUtf8(settings_.newRoot);
  summary.database = storage->name();
  summary.split = !settings_.legacy;
  summary.unknownOld = plan.unknownOld;
  summary.unknownNew = plan.unknownNew;
  writeOut(renderSummaryTable(summary));
}

}  // namespace

std::unique_ptr<Command> makeCompareCommand() {
  return std::make_unique<CompareCommand>();
}

}  // namespace cvn::cli
