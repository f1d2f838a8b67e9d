#include "storage/postgres_storage.hpp"

#include <fmt/format.h>

#include <charconv>
#include <cstdio>
#include <set>
#include <string_view>

#include "storage/postgres_connection.hpp"
#include "storage/schema.hpp"

namespace cvn::cli {
namespace {

using Value = PostgresConnection::Value;

// Settings of this transaction only: backslashes in file names are plain characters.
constexpr std::string_view kSessionSettings = R"sql(
SET LOCAL standard_conforming_strings = on;
SET LOCAL client_min_messages = warning)sql";

// Every cvn run takes this lock before it touches the tables (and creates them), so runs
// on one database follow each other; 0x63766E is "cvn".
constexpr std::string_view kRunLock = "SELECT pg_advisory_xact_lock(6518382)";
constexpr std::string_view kTryRunLock = "SELECT pg_try_advisory_xact_lock(6518382)";

// Other writers may still read while a run is under way, but not write.
constexpr std::string_view kTableLock =
    "LOCK TABLE file_compare_results, dir_compare_results, cvn_runs IN SHARE ROW EXCLUSIVE MODE";

constexpr std::string_view kRunColumns = R"sql(
SELECT column_name FROM information_schema.columns
WHERE table_schema = current_schema() AND table_name = 'cvn_runs')sql";

constexpr std::string_view kInsertRun = R"sql(
INSERT INTO cvn_runs (sessionid, oldroot, newroot, language, commentchar, multibegcomm,
  multiendcomm, threshold, comparetype, comparer, started, gitrepo, oldrev, newrev,
  ignorewhitespace, ignorecase, renames, run)
VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15, $16, $17, $18))sql";

constexpr std::string_view kInsertRename = R"sql(
INSERT INTO cvn_renames (run, sessionid, oldpath, newpath, similarity)
VALUES ($1, $2, $3, $4, $5))sql";

// Rows whose xmin is this transaction's id are the rows it wrote. SUM gives NULL over no
// rows, which reads as 0.
constexpr std::string_view kFileTotals = R"sql(
SELECT SUM(samelines), SUM(changedlines), SUM(deletedlines), SUM(newlines),
  SUM(samelines_code), SUM(changedlines_code), SUM(deletedlines_code),
  SUM(newlines_code), SUM(samelines_comments), SUM(changedlines_comments),
  SUM(deletedlines_comments), SUM(newlines_comments),
  SUM(blanklinesinold), SUM(blanklinesinnew)
FROM file_compare_results WHERE sessionid = $1 AND xmin = pg_current_xact_id()::xid)sql";

constexpr std::string_view kDirTotals = R"sql(
SELECT SUM(samefiles), SUM(deletedfiles), SUM(newfiles)
FROM dir_compare_results WHERE sessionid = $1 AND xmin = pg_current_xact_id()::xid)sql";

int64_t number(const Value& value) {
  int64_t parsed = 0;
  if (!value) return parsed;
  std::from_chars(value->data(), value->data() + value->size(), parsed);
  return parsed;
}

}  // namespace

PostgresStorage::PostgresStorage(const std::string& location, BusyTimeout busyTimeout)
    : connection_(std::make_unique<PostgresConnection>(location)), busyTimeout_(busyTimeout) {}

PostgresStorage::~PostgresStorage() {
  rollback();
}

const std::string& PostgresStorage::name() const {
  return connection_->name();
}

void PostgresStorage::begin() {
  connection_->execute("BEGIN", writeContext());
  inTransaction_ = true;
  connection_->execute(kSessionSettings, writeContext());
  if (connection_->query(std::string(kTryRunLock), {}, writeContext()).at(0).at(0) != "t") {
    std::fputs(waitingLine(name(), busyTimeout_).c_str(), stderr);
    if (busyTimeout_) {
      connection_->execute(fmt::format("SET LOCAL lock_timeout = '{}s'", busyTimeout_->count()),
                           writeContext());
    }
    try {
      connection_->execute(kRunLock, writeContext());
    } catch (const StorageError& error) {
      if (std::string_view(error.what()).find("lock timeout") == std::string_view::npos) throw;
      throw StorageError(
          fmt::format("{}: another program is writing it (waited {} s, see "
                      "--busy-timeout)",
                      writeContext(), busyTimeout_ ? busyTimeout_->count() : 0));
    }
    connection_->execute("SET LOCAL lock_timeout = 0", writeContext());
  }
  connection_->execute(kCreateTables, writeContext());
  addMissingRunColumns();
  connection_->execute(kCreateIndexes, writeContext());
  connection_->execute("CREATE OR REPLACE VIEW" + std::string(kFileChangesView), writeContext());
  connection_->execute(kTableLock, writeContext());
}

void PostgresStorage::addMissingRunColumns() {
  // Checked first: ALTER TABLE would lock out readers even when it changes nothing.
  std::set<std::string, std::less<>> present;
  for (const auto& row : connection_->query(std::string(kRunColumns), {}, readContext())) {
    if (row.at(0)) present.insert(*row[0]);
  }
  for (const AddedColumn& column : kAddedRunColumns) {
    if (present.contains(column.name)) continue;
    connection_->execute("ALTER TABLE cvn_runs ADD COLUMN " + std::string(column.name) + " " +
                             std::string(column.type),
                         writeContext());
  }
}

int64_t PostgresStorage::nextSessionId() {
  const auto rows = connection_->query(std::string(kLargestSessionQuery), {}, readContext());
  if (rows.empty() || !rows[0].at(0)) return 1;
  const int64_t largest = number(rows[0][0]);
  return largest == INT64_MAX ? largest : largest + 1;
}

std::optional<int64_t> PostgresStorage::heldSession(int64_t first, int64_t last) {
  const auto rows =
      connection_->query(heldSessionQuery("$1::bigint", "$2::bigint"),
                         {std::to_string(first), std::to_string(last)}, readContext());
  if (rows.empty() || !rows[0].at(0)) return std::nullopt;
  return number(rows[0][0]);
}

void PostgresStorage::executeStatements(std::string_view statements) {
  // The whole list goes to the server in one round trip.
  std::string script;
  script.reserve(statements.size());
  forEachStatement(statements, [&script](std::string_view statement) {
    script += statement;
    script += ";\n";
  });
  if (!script.empty()) connection_->execute(script, writeContext());
}

void PostgresStorage::recordRun(const RunRecord& run) {
  connection_->query(
      std::string(kInsertRun),
      {std::to_string(run.sessionId), run.oldRoot, run.newRoot, run.language, run.commentChar,
       run.multiBegComm, run.multiEndComm, std::to_string(run.threshold), run.compareType,
       std::string(run.legacy ? "legacy" : "current"), run.started, run.gitRepo, run.oldRevision,
       run.newRevision, std::to_string(int{run.ignoreWhitespace}),
       std::to_string(int{run.ignoreCase}),
       run.renames ? Value(std::to_string(*run.renames)) : Value(), std::to_string(run.run)},
      writeContext());
}

void PostgresStorage::recordFileStatuses(const std::vector<FileStatusRecord>& files) {
  // One statement for many rows: a round trip for each would cost more than the run.
  constexpr size_t kRowsAtOnce = 500;
  for (size_t first = 0; first < files.size(); first += kRowsAtOnce) {
    std::string sql = "INSERT INTO cvn_files (run, sessionid, path, status, oldpath) VALUES ";
    std::vector<Value> values;
    for (size_t k = first; k < std::min(files.size(), first + kRowsAtOnce); ++k) {
      const size_t n = values.size();
      sql += k > first ? ", (" : "(";
      for (size_t column = 1; column <= 5; ++column) {
        sql += (column > 1 ? ", $" : "$") + std::to_string(n + column);
      }
      sql += ")";
      values.insert(values.end(), {std::to_string(files[k].run), std::to_string(files[k].sessionId),
                                   files[k].path, files[k].status, files[k].oldPath});
    }
    connection_->query(sql, values, writeContext());
  }
}

int64_t PostgresStorage::nextRunId() {
  const auto rows = connection_->query(std::string(kLargestRunQuery), {}, readContext());
  if (rows.empty() || !rows[0].at(0)) return 1;
  return number(rows[0][0]) + 1;
}

void PostgresStorage::recordRunHeader(const RunHeader& run) {
  const auto optionalNumber = [](const std::optional<int>& value) {
    return value ? Value(std::to_string(*value)) : Value();
  };
  connection_->query(
      std::string(kInsertRunHeader) +
          "VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15)",
      {std::to_string(run.id), run.started, run.oldRoot, run.newRoot, run.gitRepo, run.oldRevision,
       run.newRevision, run.oldCommit, run.newCommit,
       std::string(run.legacy ? "legacy" : "current"), run.compareType,
       std::to_string(run.threshold), std::to_string(int{run.ignoreWhitespace}),
       std::to_string(int{run.ignoreCase}), optionalNumber(run.renames)},
      writeContext());
}

void PostgresStorage::recordRename(const RenameRecord& rename) {
  connection_->query(std::string(kInsertRename),
                     {std::to_string(rename.run), std::to_string(rename.sessionId), rename.oldPath,
                      rename.newPath, std::to_string(rename.similarity)},
                     writeContext());
}

SessionTotals PostgresStorage::readTotals(int32_t sessionId) {
  SessionTotals totals;
  const std::vector<Value> session = {std::to_string(sessionId)};
  const auto files = connection_->query(std::string(kFileTotals), session, readContext());
  if (!files.empty()) {
    size_t column = 0;
    for (LineTotals* lines : {&totals.all, &totals.code, &totals.comments}) {
      lines->same = number(files[0].at(column++));
      lines->changed = number(files[0].at(column++));
      lines->deleted = number(files[0].at(column++));
      lines->added = number(files[0].at(column++));
    }
    totals.blankOld = number(files[0].at(column++));
    totals.blankNew = number(files[0].at(column));
  }
  const auto folders = connection_->query(std::string(kDirTotals), session, readContext());
  if (!folders.empty()) {
    totals.sameFiles = number(folders[0].at(0));
    totals.deletedFiles = number(folders[0].at(1));
    totals.newFiles = number(folders[0].at(2));
  }
  const auto unchanged = connection_->query(
      "SELECT COUNT(*) FROM cvn_files WHERE sessionid = $1 AND status = 'unchanged'", session,
      readContext());
  if (!unchanged.empty()) totals.unchangedFiles = number(unchanged[0].at(0));
  return totals;
}

void PostgresStorage::commit() {
  // A transaction that failed on the server answers COMMIT with ROLLBACK.
  if (connection_->execute("COMMIT", writeContext()) != "COMMIT") {
    inTransaction_ = false;
    throw StorageError(writeContext() + ": the transaction was rolled back");
  }
  inTransaction_ = false;
}

void PostgresStorage::rollback() noexcept {
  if (inTransaction_) connection_->executeQuietly("ROLLBACK");
  inTransaction_ = false;
}

}  // namespace cvn::cli
