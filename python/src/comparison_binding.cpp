#include <fmt/format.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/paths.hpp"
#include "bindings.hpp"
#include "compare/tree_comparison.hpp"
#include "component/corvane.hpp"
#include "count/count_paths.hpp"
#include "languages/language_table.hpp"
#include "platform/error.hpp"
#include "platform/utf.hpp"
#include "storage/storage.hpp"

namespace py = pybind11;

namespace cvn::python {
namespace {

using cli::FileCounts;
using cli::FileEntry;
using cli::SessionTotals;
using cli::Storage;

// Passes everything to the storage behind it and keeps each session's statement list: a
// run's statements all arrive before its record.
class KeepingStorage final : public Storage {
 public:
  explicit KeepingStorage(std::unique_ptr<Storage> inner) : inner_(std::move(inner)) {}

  const std::string& name() const override { return inner_->name(); }
  bool requiresUtf8() const override { return inner_->requiresUtf8(); }
  void begin() override { inner_->begin(); }
  int64_t nextSessionId() override { return inner_->nextSessionId(); }
  std::optional<int64_t> heldSession(int64_t first, int64_t last) override {
    return inner_->heldSession(first, last);
  }
  void executeStatements(std::string_view statements) override {
    pending_ += statements;
    inner_->executeStatements(statements);
  }
  int64_t nextRunId() override { return inner_->nextRunId(); }
  void recordRunHeader(const cli::RunHeader& run) override { inner_->recordRunHeader(run); }
  void recordRun(const cli::RunRecord& run) override {
    lists.push_back(std::move(pending_));
    pending_.clear();
    inner_->recordRun(run);
  }
  void recordRename(const cli::RenameRecord& rename) override { inner_->recordRename(rename); }
  void recordFileStatuses(const std::vector<cli::FileStatusRecord>& files) override {
    inner_->recordFileStatuses(files);
  }
  SessionTotals readTotals(int32_t sessionId) override { return inner_->readTotals(sessionId); }
  void commit() override { inner_->commit(); }
  void rollback() noexcept override { inner_->rollback(); }

  std::vector<std::string> lists;  // one per run, in plan order

 private:
  std::unique_ptr<Storage> inner_;
  std::string pending_;
};

struct Options {
  std::optional<std::string> language;
  std::optional<std::string> comment, begin, end;
  int64_t threshold = 10;
  int type = 2;
  bool legacy = false;
  std::optional<unsigned> jobs;
  std::optional<int64_t> session;
  std::optional<std::string> db;
};

// Text from the library is UTF-8 except for file name bytes that are not: those come back
// as Python's file names do (surrogateescape), so that os.fsencode gives the bytes again.
py::object text(const std::string& value) {
  PyObject* decoded =
      PyUnicode_DecodeUTF8(value.data(), static_cast<Py_ssize_t>(value.size()), "surrogateescape");
  if (decoded == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(decoded);
}

py::object text(const std::optional<std::string>& value) {
  return value ? text(*value) : py::none();
}

size_t languageIndex(const std::string& key) {
  const auto found = cli::findLanguage(key);
  if (!found) raise(kInvalidArgument, fmt::format("no language \"{}\"", key));
  return *found;
}

// The checks cvn compare makes of its options, with the same error numbers.
cli::ComparisonRequest request(const Options& o) {
  cli::ComparisonRequest r;
  if (o.language) r.language = languageIndex(*o.language);
  r.comment = o.comment;
  r.begin = o.begin;
  r.end = o.end;
  if (o.threshold < std::numeric_limits<int16_t>::min() ||
      o.threshold > std::numeric_limits<int16_t>::max()) {
    raise(kOverflow, fmt::format("threshold {}", o.threshold));
  }
  r.threshold = static_cast<int16_t>(o.threshold);
  if (o.type != 1 && o.type != 2) raise(kInvalidArgument, fmt::format("type {}: 1 or 2", o.type));
  r.compareType = o.type == 1 ? u"1" : u"2";
  r.legacy = o.legacy;
  if (o.jobs && (*o.jobs < 1 || *o.jobs > 1024)) {
    raise(kInvalidArgument, fmt::format("jobs {}: 1 to 1024", *o.jobs));
  }
  r.jobs = o.jobs.value_or(0);
  return r;
}

struct Result {
  std::optional<int64_t> run;
  int32_t firstSession = 0;
  std::vector<cli::SummaryRow> rows;
  std::vector<FileEntry> files;
  std::vector<std::string> statements;
  std::string oldRoot, newRoot;
};

Result compareTrees(cli::ComparisonRequest r, const Options& o) {
  const bool git = r.git.has_value();
  py::gil_scoped_release released;
  std::shared_lock<std::shared_mutex> shared(fileSystemLock(), std::defer_lock);
  std::unique_lock<std::shared_mutex> exclusive(fileSystemLock(), std::defer_lock);
  git ? exclusive.lock() : shared.lock();

  const cli::TreeComparison comparison(std::move(r));
  KeepingStorage storage(cli::openStorage(o.db.value_or(":memory:")));
  std::optional<int32_t> session;
  if (o.session) session = cli::firstSessionId(*o.session, comparison.plan().runs.size());
  cli::StoredComparison stored = comparison.store(storage, session, cli::utcNow(), true, {});
  Result result;
  if (o.db) result.run = stored.runId;
  result.firstSession = stored.firstSession;
  result.rows = std::move(stored.rows);
  result.files = std::move(stored.files);
  result.statements = std::move(storage.lists);
  result.oldRoot = comparison.shownOld();
  result.newRoot = comparison.shownNew();
  return result;
}

void putLines(py::dict& row, const char* kind, const cli::LineTotals& lines, bool shown) {
  const int64_t values[] = {lines.same, lines.changed, lines.deleted, lines.added};
  const char* names[] = {"same", "changed", "deleted", "new"};
  for (size_t k = 0; k < 4; ++k) {
    row[py::str(fmt::format("{}_{}", kind, names[k]))] =
        shown ? py::object(py::int_(values[k])) : py::object(py::none());
  }
}

void putCounts(py::dict& row, const std::optional<FileCounts>& counts) {
  const char* names[] = {"same", "changed", "deleted", "new"};
  const auto put = [&](const char* kind, std::array<std::optional<int64_t>, 4> values) {
    for (size_t k = 0; k < 4; ++k) row[py::str(fmt::format("{}_{}", kind, names[k]))] = values[k];
  };
  const FileCounts c = counts.value_or(FileCounts{});
  const auto when = [&](std::optional<int64_t> v) { return counts ? v : std::nullopt; };
  put("code", {when(c.codeSame), when(c.codeChanged), when(c.codeDeleted), when(c.codeAdded)});
  put("comment",
      {when(c.commentSame), when(c.commentChanged), when(c.commentDeleted), when(c.commentAdded)});
  put("all", {when(c.same), when(c.changed), when(c.deleted), when(c.added)});
  row["blank_old"] = when(c.blankOld);
  row["blank_new"] = when(c.blankNew);
}

py::dict toPython(const Result& result, bool legacy) {
  py::list files;
  for (const FileEntry& entry : result.files) {
    py::dict row;
    row["path"] = text(entry.path);
    row["old_path"] = text(entry.oldPath);
    row["language"] = entry.language;
    row["status"] = entry.status;
    row["session"] =
        entry.language ? py::object(py::int_(result.firstSession + static_cast<int32_t>(entry.run)))
                       : py::object(py::none());
    putCounts(row, entry.counts);
    files.append(std::move(row));
  }
  py::list languages;
  for (const cli::SummaryRow& summary : result.rows) {
    const SessionTotals& t = summary.totals;
    py::dict row;
    row["language"] = summary.label;
    row["key"] = summary.key;
    row["session"] = summary.sessionId;
    row["files_unchanged"] = t.unchangedFiles;
    row["files_modified"] = t.sameFiles - t.unchangedFiles;
    row["files_new"] = t.newFiles;
    row["files_deleted"] = t.deletedFiles;
    putLines(row, "code", t.code, !legacy);
    putLines(row, "comment", t.comments, !legacy);
    putLines(row, "all", t.all, true);
    row["blank_old"] = t.blankOld;
    row["blank_new"] = t.blankNew;
    languages.append(std::move(row));
  }
  py::list statements;
  for (const std::string& list : result.statements) statements.append(text(list));
  py::dict out;
  out["files"] = files;
  out["languages"] = languages;
  out["statements"] = statements;
  out["run"] = result.run;
  out["old"] = text(result.oldRoot);
  out["new"] = text(result.newRoot);
  return out;
}

py::dict countRow(const cli::CountRow& row, bool named) {
  py::dict out;
  if (named) {
    out["language"] = row.label;
    out["key"] = row.key ? py::object(py::str(*row.key)) : py::object(py::none());
  }
  out["files"] = row.files;
  out["total"] = row.total;
  out["comment"] = row.comment;
  out["blank"] = row.blank;
  out["code"] = row.code;
  return out;
}

// As cvn count --format json gives it.
py::dict count(const std::vector<std::string>& paths, const std::optional<std::string>& language,
               const std::optional<std::string>& comment, const std::optional<std::string>& begin,
               const std::optional<std::string>& end) {
  cli::CountRequest request;
  request.paths = paths;
  if (language) request.language = languageIndex(*language);
  request.comment = comment;
  request.begin = begin;
  request.end = end;
  cli::CountReport report;
  {
    py::gil_scoped_release released;
    const std::shared_lock lock(fileSystemLock());
    report = cli::countPaths(request);
  }
  py::list languages;
  for (const cli::CountRow& row : report.rows) languages.append(countRow(row, true));
  py::dict out;
  out["languages"] = languages;
  out["total"] = countRow(report.total, false);
  out["unknown_files"] = report.unknownFiles;
  return out;
}

}  // namespace

void bindComparison(py::module_& module) {
  module.def(
      "compare",
      [](const std::optional<std::string>& old, const std::optional<std::string>& now,
         const std::optional<std::vector<std::string>>& git, const Options& options) {
        cli::ComparisonRequest r = request(options);
        if (git) {
          r.git = cli::GitSource{cli::normalRoot(git->at(0)), git->at(1), git->at(2)};
        } else {
          r.oldRoot = old.value_or("");
          r.newRoot = now.value_or("");
        }
        return toPython(compareTrees(std::move(r), options), options.legacy);
      },
      py::arg("old"), py::arg("new"), py::arg("git"), py::arg("options"));
  py::class_<Options>(module, "Options")
      .def(py::init<>())
      .def_readwrite("language", &Options::language)
      .def_readwrite("comment", &Options::comment)
      .def_readwrite("begin", &Options::begin)
      .def_readwrite("end", &Options::end)
      .def_readwrite("threshold", &Options::threshold)
      .def_readwrite("type", &Options::type)
      .def_readwrite("legacy", &Options::legacy)
      .def_readwrite("jobs", &Options::jobs)
      .def_readwrite("session", &Options::session)
      .def_readwrite("db", &Options::db);
  module.def("count", &count, py::arg("paths"), py::arg("language"), py::arg("comment"),
             py::arg("begin"), py::arg("end"));
  module.def("language_keys", [] {
    std::vector<std::string> keys;
    for (const cli::Language& language : cli::languages()) keys.emplace_back(language.key);
    return keys;
  });
}

}  // namespace cvn::python
