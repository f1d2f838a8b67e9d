#include "compare/tree_comparison.hpp"

#include <fmt/chrono.h>
#include <fmt/format.h>

#include <ctime>
#include <limits>

#include "app/failure.hpp"
#include "app/paths.hpp"
#include "compare/git_tree.hpp"
#include "compare/ordered_statements.hpp"
#include "compare/sql_script.hpp"
#include "compare/storable_text.hpp"
#include "compare/tree_listing.hpp"
#include "component/corvane.hpp"
#include "languages/language_table.hpp"
#include "platform/error.hpp"
#include "platform/file_system.hpp"
#include "platform/utf.hpp"

namespace cvn::cli {
namespace {

// The root as the component gets it; anything but an existing folder is "path not found".
std::u16string checkedRoot(const std::string& typed) {
  const std::string normal = normalRoot(typed);
  const std::u16string root = utf8ToUtf16(normal);
  Corvane checker;
  if (root.empty() || checker.checkDirExists(root) == 0) {
    if (!root.empty() && checker.checkFileExists(root) != 0) {
      throw Error(kPathNotFound, "not a folder: " + normal);
    }
    raise(kPathNotFound, normal.empty() ? "\"\"" : normal);
  }
  return root;
}

}  // namespace

int32_t firstSessionId(int64_t first, size_t count) {
  const int64_t last = first + static_cast<int64_t>(count) - (count > 0 ? 1 : 0);
  if (first < std::numeric_limits<int32_t>::min() || last > std::numeric_limits<int32_t>::max()) {
    raise(kOverflow, fmt::format("session ids {} to {}", first, last));
  }
  return static_cast<int32_t>(first);
}

std::string utcNow() {
  return fmt::format("{:%Y-%m-%dT%H:%M:%SZ}", fmt::gmtime(std::time(nullptr)));
}

TreeComparison::TreeComparison(ComparisonRequest request) : request_(std::move(request)) {
  settings_.threshold = request_.threshold;
  settings_.compareType = request_.compareType;
  settings_.legacy = request_.legacy;
  settings_.folding = request_.folding;
  settings_.pool = std::make_shared<WorkPool>(request_.jobs);
  if (request_.git) {
    const GitSource& git = *request_.git;
    trees_ = std::make_unique<GitTrees>(git.repository);
    treesInstalled_ = std::make_unique<ScopedFileSystem>(*trees_);
    settings_.oldRoot = checkedRoot(trees_->add(git.oldRevision));
    settings_.newRoot = checkedRoot(trees_->add(git.newRevision));
    submodules_ = trees_->submodules();
    oldCommit_ = trees_->commitOf(git.oldRevision);
    newCommit_ = trees_->commitOf(git.newRevision);
    shownOld_ = fmt::format("{} at {}", git.repository, git.oldRevision);
    shownNew_ = fmt::format("{} at {}", git.repository, git.newRevision);
  } else {
    settings_.oldRoot = checkedRoot(request_.oldRoot);
    settings_.newRoot = checkedRoot(request_.newRoot);
    shownOld_ = utf16ToUtf8(settings_.oldRoot);
    shownNew_ = utf16ToUtf8(settings_.newRoot);
  }
  // Both trees are walked at once, and their files' languages found, which reads the "#!"
  // line of every name without an extension; a failure is that of the first tree that fails.
  const bool byLanguage =
      !request_.language && !request_.comment && !request_.begin && !request_.end;
  std::vector<std::u16string> listings[2];
  FileLanguages found[2];
  settings_.pool->forEachInOrder(2, [&](size_t k) -> WorkPool::Finish {
    listings[k] = listTree(k == 0 ? settings_.oldRoot : settings_.newRoot, request_.filter);
    if (byLanguage) found[k] = languagesOf(listings[k], request_.languageFor);
    return {};
  });
  plan_ = byLanguage ? planByLanguage(listings[0], listings[1], found[0], found[1])
                     : makePlan(std::move(listings[0]), std::move(listings[1]));

  // Renamed files are listed under their new names and read from their old places.
  if (request_.renames) {
    renamed_ = std::make_unique<RenamedFiles>(FileSystem::current());
    for (PlannedRun& run : plan_.runs) {
      renamesFound_.push_back(findRenames(run, settings_.oldRoot, settings_.newRoot,
                                          *request_.renames, *settings_.pool));
      renamed_->add(run, settings_.oldRoot, settings_.newRoot, renamesFound_.back());
    }
    renamedInstalled_ = std::make_unique<ScopedFileSystem>(*renamed_);
  }
}

TreeComparison::~TreeComparison() = default;

RunPlan TreeComparison::makePlan(std::vector<std::u16string> oldFiles,
                                 std::vector<std::u16string> newFiles) const {
  const auto& r = request_;
  Markers markers = r.language ? languageMarkers(*r.language) : Markers{};
  if (r.comment) markers.comment = utf8ToUtf16(*r.comment);
  if (r.begin) markers.begin = utf8ToUtf16(*r.begin);
  if (r.end) markers.end = utf8ToUtf16(*r.end);
  std::string label = "custom markers";
  std::optional<std::string> key;
  if (r.language) {
    label = languages()[*r.language].name;
    key = languages()[*r.language].key;
  }
  return planSingleRun(std::move(label), std::move(key), std::move(markers), std::move(oldFiles),
                       std::move(newFiles));
}

std::vector<FileEntry> TreeComparison::compare(int32_t firstSession, const Output& output,
                                               const std::function<void(size_t run)>& finished,
                                               bool fileCounts, const RunProgress& progress) const {
  OrderedStatements ordered(plan_.runs.size(), output);
  std::vector<RunFiles> files(plan_.runs.size());
  // Languages are compared two at a time, their files on the pool: the later one's
  // statements wait in memory until the earlier one's are passed on.
  settings_.pool->forEachInOrder(
      plan_.runs.size(),
      [&](size_t k) -> WorkPool::Finish {
        std::string label = plan_.runs[k].label;
        if (plan_.runs.size() > 1) {
          label = fmt::format("[{}/{}] {}", k + 1, plan_.runs.size(), label);
        }
        // A run's statements and pairs come on the one thread that compares it.
        RunFiles& runFiles = files[k];
        runComparison(
            settings_, plan_.runs[k], firstSession + static_cast<int32_t>(k),
            [&progress, k, label](int64_t done, int64_t total, const std::u16string& file) {
              if (progress) progress(k, label, done, total, file);
            },
            [&ordered, k, &runFiles, fileCounts](std::u16string_view text) {
              // Only a listing with counts needs them; the statuses do not.
              if (fileCounts) collectFileCounts(text, runFiles);
              ordered.add(k, text);
            },
            [&runFiles](const std::u16string& name, bool identical) {
              if (identical) runFiles.identical.insert(utf16ToUtf8(name));
            });
        return [&ordered, &finished, k] {
          ordered.finish(k, [&finished, k] {
            if (finished) finished(k);
          });
        };
      },
      {}, 2);
  return listFileEntries(plan_, settings_.oldRoot, settings_.newRoot, renamesFound_, files,
                         settings_.compareType == u"2");
}

std::string TreeComparison::statements(int32_t firstSession, const RunProgress& progress) const {
  std::string text;
  compare(
      firstSession, [&text](std::string_view statements) { text += statements; }, {}, false,
      progress);
  return text;
}

std::string TreeComparison::script(int32_t firstSession, const std::string& started,
                                   const RunProgress& progress) const {
  SqlScript script;
  script.addRunHeader(header(0, started));
  const std::vector<FileEntry> entries = compare(
      firstSession, [&script](std::string_view text) { script.addStatements(text); },
      [&](size_t k) {
        const int32_t id = firstSession + static_cast<int32_t>(k);
        script.addRun(record(plan_.runs[k], id, started));
        for (const RenameRecord& rename : renameRecords(k, id, 0)) script.addRename(rename);
      },
      false, progress);
  for (const FileStatusRecord& file : statusRecords(entries, 0, firstSession)) {
    script.addFileStatus(file);
  }
  return script.finish();
}

StoredComparison TreeComparison::store(Storage& storage, std::optional<int32_t> session,
                                       const std::string& started, bool fileCounts,
                                       const RunProgress& progress,
                                       const std::function<void()>& beforeCommit) const {
  std::vector<RunRecord> records;
  for (const PlannedRun& run : plan_.runs) records.push_back(record(run, 0, started));
  checkStorable(storage, settings_, plan_, records);

  StoredComparison stored;
  try {
    storage.begin();
    const int64_t next = session ? *session : storage.nextSessionId();
    const int32_t first = firstSessionId(next, plan_.runs.size());
    // A session given twice would mix two runs' rows.
    if (const auto held = storage.heldSession(first, first + int64_t(plan_.runs.size()) - 1)) {
      throw CommandError(
          fmt::format("--session {}: {} holds session {} already", first, storage.name(), *held));
    }
    const int64_t runId = storage.nextRunId();
    storage.recordRunHeader(header(runId, started));
    stored.runId = runId;
    stored.firstSession = first;
    stored.files = compare(
        first, [&storage](std::string_view text) { storage.executeStatements(text); },
        [&](size_t k) {
          records[k].sessionId = first + static_cast<int32_t>(k);
          records[k].run = runId;
          storage.recordRun(records[k]);
          for (const RenameRecord& rename : renameRecords(k, records[k].sessionId, runId)) {
            storage.recordRename(rename);
          }
        },
        fileCounts, progress);
    storage.recordFileStatuses(statusRecords(stored.files, runId, first));
    // Read back, so that callers show what the database holds.
    for (size_t k = 0; k < plan_.runs.size(); ++k) {
      const int32_t id = first + static_cast<int32_t>(k);
      stored.rows.push_back(
          {plan_.runs[k].label, plan_.runs[k].languageKey, id, storage.readTotals(id)});
    }
    if (beforeCommit) beforeCommit();
    storage.commit();
  } catch (...) {
    storage.rollback();
    throw;
  }
  return stored;
}

std::vector<RenameRecord> TreeComparison::renameRecords(size_t run, int32_t sessionId,
                                                        int64_t runId) const {
  std::vector<RenameRecord> records;
  if (run >= renamesFound_.size()) return records;
  for (const Rename& rename : renamesFound_[run]) {
    records.push_back({runId, sessionId, pathAfterRoot(rename.oldFile, settings_.oldRoot),
                       pathAfterRoot(rename.newFile, settings_.newRoot), rename.similarity});
  }
  return records;
}

std::vector<FileStatusRecord> TreeComparison::statusRecords(const std::vector<FileEntry>& entries,
                                                            int64_t runId,
                                                            int32_t firstSession) const {
  std::vector<FileStatusRecord> records;
  for (const FileEntry& entry : entries) {
    if (!entry.language && entry.status == "not counted") continue;
    records.push_back({runId, firstSession + static_cast<int32_t>(entry.run), entry.path,
                       entry.status, entry.oldPath});
  }
  return records;
}

RunHeader TreeComparison::header(int64_t runId, const std::string& started) const {
  RunHeader run;
  run.id = runId;
  run.started = started;
  run.oldRoot = utf16ToUtf8(settings_.oldRoot);
  run.newRoot = utf16ToUtf8(settings_.newRoot);
  if (request_.git) {
    run.gitRepo = request_.git->repository;
    run.oldRevision = request_.git->oldRevision;
    run.newRevision = request_.git->newRevision;
    run.oldCommit = oldCommit_;
    run.newCommit = newCommit_;
  }
  run.legacy = settings_.legacy;
  run.compareType = utf16ToUtf8(settings_.compareType);
  run.threshold = settings_.threshold;
  run.ignoreWhitespace = settings_.folding.ignoreWhitespace;
  run.ignoreCase = settings_.folding.ignoreCase;
  run.renames = request_.renames;
  return run;
}

RunRecord TreeComparison::record(const PlannedRun& run, int32_t sessionId,
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
                   request_.renames};
  if (request_.git) {
    record.gitRepo = request_.git->repository;
    record.oldRevision = request_.git->oldRevision;
    record.newRevision = request_.git->newRevision;
  }
  return record;
}

}  // namespace cvn::cli
