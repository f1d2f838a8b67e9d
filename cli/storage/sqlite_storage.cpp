#include "storage/sqlite_storage.hpp"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fmt/format.h>

#include <cerrno>
#include <cstdio>
#include <set>
#include <thread>
#include <utility>

#include "storage/insert_row.hpp"
#include "storage/schema.hpp"
#include "storage/sqlite_statement.hpp"

namespace cvn::cli {
namespace {

constexpr std::string_view kInsertRun = R"sql(
INSERT INTO cvn_runs (sessionid, oldroot, newroot, language, commentchar, multibegcomm,
  multiendcomm, threshold, comparetype, comparer, started, gitrepo, oldrev, newrev,
  ignorewhitespace, ignorecase, renames, run)
VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18))sql";

constexpr std::string_view kInsertRename = R"sql(
INSERT INTO cvn_renames (run, sessionid, oldpath, newpath, similarity)
VALUES (?1, ?2, ?3, ?4, ?5))sql";

// SUM gives NULL over no rows, which reads as 0.
constexpr std::string_view kFileTotals = R"sql(
SELECT SUM(samelines), SUM(changedlines), SUM(deletedlines), SUM(newlines),
  SUM(samelines_code), SUM(changedlines_code), SUM(deletedlines_code),
  SUM(newlines_code), SUM(samelines_comments), SUM(changedlines_comments),
  SUM(deletedlines_comments), SUM(newlines_comments),
  SUM(blanklinesinold), SUM(blanklinesinnew)
FROM file_compare_results WHERE sessionid = ?1 AND rowid > ?2)sql";

constexpr std::string_view kDirTotals = R"sql(
SELECT SUM(samefiles), SUM(deletedfiles), SUM(newfiles)
FROM dir_compare_results WHERE sessionid = ?1 AND rowid > ?2)sql";

constexpr std::string_view kUnchangedFiles =
    "SELECT COUNT(*) FROM cvn_files WHERE sessionid = ?1 AND status = 'unchanged'";

// Why SQLite could not open a file, in plain words where the file system tells.
std::string whyNotOpened(const std::string& path, const std::string& message) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return "it is a folder";
  const size_t slash = path.rfind('/');
  const std::string folder =
      slash == std::string::npos ? "." : path.substr(0, slash + (slash == 0));
  if (::stat(folder.c_str(), &st) != 0) return "no folder " + folder;
  if (!S_ISDIR(st.st_mode)) return folder + " is not a folder";
  if (::access(path.c_str(), F_OK) != 0 && ::access(folder.c_str(), W_OK | X_OK) != 0) {
    return "cannot create a file in " + folder + ": permission denied";
  }
  return message;
}

bool pathExists(const std::string& path) {
  struct stat st {};
  // Anything but a clear "no such file" counts as existing, so it is never removed.
  return ::lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

int64_t largestRowid(sqlite3* db, std::string_view table, std::string_view context) {
  SqliteStatement query(db, "SELECT COALESCE(MAX(rowid), 0) FROM " + std::string(table), context);
  return query.step() ? query.columnInt64(0) : 0;
}

// A database made by an earlier cvn lacks the newer columns of cvn_runs.
void addMissingRunColumns(sqlite3* db, std::string_view context) {
  std::set<std::string, std::less<>> present;
  SqliteStatement columns(db, "SELECT name FROM pragma_table_info('cvn_runs')", context);
  while (columns.step()) present.insert(columns.columnText(0));
  for (const AddedColumn& column : kAddedRunColumns) {
    if (present.contains(column.name)) continue;
    executeSql(db,
               "ALTER TABLE cvn_runs ADD COLUMN " + std::string(column.name) + " " +
                   std::string(column.type),
               context);
  }
}

void bindOptional(SqliteStatement& statement, int index, const std::optional<std::string>& text) {
  if (text) {
    statement.bind(index, *text);
  } else {
    statement.bindNull(index);
  }
}

}  // namespace

SqliteStorage::SqliteStorage(std::string path, BusyTimeout busyTimeout)
    : path_(std::move(path)), busyTimeout_(busyTimeout) {
  created_ = !pathExists(path_);
  // One thread at a time uses a storage (the comparison hands it results under its own
  // lock), so SQLite need not lock the connection for every call.
  const int result =
      sqlite3_open_v2(path_.c_str(), &db_,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (result != SQLITE_OK) {
    const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(result);
    rollback();
    throw StorageError("cannot open database " + path_ + ": " + whyNotOpened(path_, message));
  }
  // Another program writing the same file is waited for rather than failed.
  sqlite3_busy_handler(db_, &SqliteStorage::waitWhileBusy, this);
  if (sqlite3_db_readonly(db_, "main") == 1) {
    rollback();
    throw StorageError(writeContext() + ": the file is read-only");
  }
}

int SqliteStorage::waitWhileBusy(void* storage, int calls) {
  auto& self = *static_cast<SqliteStorage*>(storage);
  const auto now = std::chrono::steady_clock::now();
  if (calls == 0) self.waitStarted_ = now;
  const auto waited = now - self.waitStarted_;
  if (self.busyTimeout_ && waited >= *self.busyTimeout_) return 0;
  if (!self.saidWaiting_ && waited >= std::chrono::seconds(1)) {
    self.saidWaiting_ = true;
    std::fputs(waitingLine(self.path_, self.busyTimeout_).c_str(), stderr);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(calls < 10 ? 1 : 20));
  return 1;
}

SqliteStorage::~SqliteStorage() {
  rollback();
}

void SqliteStorage::begin() {
  // IMMEDIATE takes the write lock now, before anything is compared, so the session ids read
  // below stay free.
  const int result = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  if (result == SQLITE_BUSY) {
    throw StorageError(
        fmt::format("{}: another program is writing it (waited {} s, see "
                    "--busy-timeout)",
                    writeContext(), busyTimeout_ ? busyTimeout_->count() : 0));
  }
  if (result != SQLITE_OK) throw StorageError(writeContext() + ": " + sqlite3_errmsg(db_));
  inTransaction_ = true;
  executeSql(db_, kCreateTables, writeContext());
  addMissingRunColumns(db_, writeContext());
  executeSql(db_, kCreateIndexes, writeContext());
  executeSql(db_, "CREATE VIEW IF NOT EXISTS" + std::string(kFileChangesView), writeContext());
  fileRowsBefore_ = largestRowid(db_, "file_compare_results", readContext());
  dirRowsBefore_ = largestRowid(db_, "dir_compare_results", readContext());
}

int64_t SqliteStorage::nextSessionId() {
  SqliteStatement query(db_, kLargestSessionQuery, readContext());
  if (!query.step() || query.columnIsNull(0)) return 1;
  const int64_t largest = query.columnInt64(0);
  return largest == INT64_MAX ? largest : largest + 1;
}

std::optional<int64_t> SqliteStorage::heldSession(int64_t first, int64_t last) {
  SqliteStatement query(db_, heldSessionQuery("?1", "?2"), readContext());
  query.bind(1, first);
  query.bind(2, last);
  if (!query.step() || query.columnIsNull(0)) return std::nullopt;
  return query.columnInt64(0);
}

void SqliteStorage::executeStatements(std::string_view statements) {
  const std::string context = writeContext();
  forEachStatement(statements, [&](std::string_view statement) {
    const std::optional<InsertRow> row = parseInsertRow(statement);
    if (!row) {
      executeSql(db_, statement, context);
      return;
    }
    SqliteStatement& insert = preparedInsert(row->head, row->values.size());
    for (size_t k = 0; k < row->values.size(); ++k) {
      const int index = static_cast<int>(k) + 1;
      const InsertRow::Value& value = row->values[k];
      if (const auto* number = std::get_if<int64_t>(&value)) {
        insert.bind(index, *number);
      } else if (const auto* text = std::get_if<std::string>(&value)) {
        insert.bind(index, std::string_view(*text));
      } else {
        insert.bindNull(index);
      }
    }
    insert.step();
    insert.reset();
  });
}

SqliteStatement& SqliteStorage::preparedInsert(std::string_view head, size_t values) {
  for (PreparedInsert& prepared : inserts_) {
    if (prepared.head == head && prepared.values == values) return *prepared.statement;
  }
  std::string sql(head);
  for (size_t k = 1; k <= values; ++k) sql += (k == 1 ? "(?" : ",?") + std::to_string(k);
  sql += ')';
  inserts_.push_back(
      {std::string(head), values, std::make_unique<SqliteStatement>(db_, sql, writeContext())});
  return *inserts_.back().statement;
}

void SqliteStorage::recordRun(const RunRecord& run) {
  SqliteStatement insert(db_, kInsertRun, writeContext());
  insert.bind(1, int64_t{run.sessionId});
  insert.bind(2, run.oldRoot);
  insert.bind(3, run.newRoot);
  bindOptional(insert, 4, run.language);
  insert.bind(5, run.commentChar);
  insert.bind(6, run.multiBegComm);
  insert.bind(7, run.multiEndComm);
  insert.bind(8, int64_t{run.threshold});
  insert.bind(9, run.compareType);
  insert.bind(10, std::string_view(run.legacy ? "legacy" : "current"));
  insert.bind(11, run.started);
  bindOptional(insert, 12, run.gitRepo);
  bindOptional(insert, 13, run.oldRevision);
  bindOptional(insert, 14, run.newRevision);
  insert.bind(15, int64_t{run.ignoreWhitespace});
  insert.bind(16, int64_t{run.ignoreCase});
  if (run.renames) {
    insert.bind(17, int64_t{*run.renames});
  } else {
    insert.bindNull(17);
  }
  insert.bind(18, run.run);
  insert.step();
}

void SqliteStorage::recordRename(const RenameRecord& rename) {
  SqliteStatement insert(db_, kInsertRename, writeContext());
  insert.bind(1, rename.run);
  insert.bind(2, int64_t{rename.sessionId});
  insert.bind(3, rename.oldPath);
  insert.bind(4, rename.newPath);
  insert.bind(5, int64_t{rename.similarity});
  insert.step();
}

void SqliteStorage::recordFileStatuses(const std::vector<FileStatusRecord>& files) {
  SqliteStatement insert(db_,
                         "INSERT INTO cvn_files (run, sessionid, path, status, oldpath) "
                         "VALUES (?1, ?2, ?3, ?4, ?5)",
                         writeContext());
  for (const FileStatusRecord& file : files) {
    insert.bind(1, file.run);
    insert.bind(2, int64_t{file.sessionId});
    insert.bind(3, file.path);
    insert.bind(4, file.status);
    bindOptional(insert, 5, file.oldPath);
    insert.step();
    insert.reset();
  }
}

int64_t SqliteStorage::nextRunId() {
  SqliteStatement query(db_, kLargestRunQuery, readContext());
  if (!query.step() || query.columnIsNull(0)) return 1;
  return query.columnInt64(0) + 1;
}

void SqliteStorage::recordRunHeader(const RunHeader& run) {
  SqliteStatement insert(
      db_,
      std::string(kInsertRunHeader) +
          "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15)",
      writeContext());
  insert.bind(1, run.id);
  insert.bind(2, run.started);
  insert.bind(3, run.oldRoot);
  insert.bind(4, run.newRoot);
  bindOptional(insert, 5, run.gitRepo);
  bindOptional(insert, 6, run.oldRevision);
  bindOptional(insert, 7, run.newRevision);
  bindOptional(insert, 8, run.oldCommit);
  bindOptional(insert, 9, run.newCommit);
  insert.bind(10, std::string_view(run.legacy ? "legacy" : "current"));
  insert.bind(11, run.compareType);
  insert.bind(12, int64_t{run.threshold});
  insert.bind(13, int64_t{run.ignoreWhitespace});
  insert.bind(14, int64_t{run.ignoreCase});
  bindOptional(insert, 15,
               run.renames ? std::optional(std::to_string(*run.renames)) : std::nullopt);
  insert.step();
}

SessionTotals SqliteStorage::readTotals(int32_t sessionId) {
  SessionTotals totals;
  SqliteStatement files(db_, kFileTotals, readContext());
  files.bind(1, int64_t{sessionId});
  files.bind(2, fileRowsBefore_);
  if (files.step()) {
    int column = 0;
    for (LineTotals* lines : {&totals.all, &totals.code, &totals.comments}) {
      lines->same = files.columnInt64(column++);
      lines->changed = files.columnInt64(column++);
      lines->deleted = files.columnInt64(column++);
      lines->added = files.columnInt64(column++);
    }
    totals.blankOld = files.columnInt64(column++);
    totals.blankNew = files.columnInt64(column);
  }
  SqliteStatement folders(db_, kDirTotals, readContext());
  folders.bind(1, int64_t{sessionId});
  folders.bind(2, dirRowsBefore_);
  if (folders.step()) {
    totals.sameFiles = folders.columnInt64(0);
    totals.deletedFiles = folders.columnInt64(1);
    totals.newFiles = folders.columnInt64(2);
  }
  SqliteStatement unchanged(db_, kUnchangedFiles, readContext());
  unchanged.bind(1, int64_t{sessionId});
  if (unchanged.step()) totals.unchangedFiles = unchanged.columnInt64(0);
  return totals;
}

void SqliteStorage::commit() {
  executeSql(db_, "COMMIT", writeContext());
  inTransaction_ = false;
  created_ = false;
}

void SqliteStorage::rollback() noexcept {
  if (db_ != nullptr && inTransaction_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  inTransaction_ = false;
  close();
  if (created_) {
    // Nothing was committed to a file this command created: leave none behind.
    ::unlink(path_.c_str());
    ::unlink((path_ + "-journal").c_str());
    created_ = false;
  }
}

void SqliteStorage::close() noexcept {
  inserts_.clear();  // finalized before the connection goes
  if (db_ != nullptr) sqlite3_close_v2(db_);
  db_ = nullptr;
}

}  // namespace cvn::cli
