#include "export/run_reader.hpp"

#include <fmt/format.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>

#include "app/failure.hpp"
#include "storage/postgres_connection.hpp"
#include "storage/storage.hpp"

namespace cvn::cli {
namespace {

struct CloseDatabase {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct FinalizeStatement {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

class SessionQuery {
 public:
  SessionQuery(sqlite3* db, const std::string& name) : db_(db), name_(name) {}

  // The rows of a query, each value as text; ?1, when the query has it, is the session id.
  std::vector<StoredRow> rows(const std::string& sql, int32_t sessionId, int columns) const {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) fail();
    const Statement statement(raw);
    if (sqlite3_bind_parameter_count(raw) > 0) sqlite3_bind_int64(raw, 1, sessionId);
    std::vector<StoredRow> result;
    for (;;) {
      const int step = sqlite3_step(raw);
      if (step == SQLITE_DONE) return result;
      if (step != SQLITE_ROW) fail();
      StoredRow& row = result.emplace_back();
      for (int column = 0; column < columns; ++column) row.push_back(text(raw, column));
    }
  }

  void execute(const char* sql) const {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail();
  }

  [[noreturn]] void fail() const {
    throw CommandError(fmt::format("cannot read database {}: {}", name_, sqlite3_errmsg(db_)));
  }

 private:
  static std::string text(sqlite3_stmt* statement, int column) {
    const auto* bytes = sqlite3_column_text(statement, column);
    if (bytes == nullptr) return {};
    return {reinterpret_cast<const char*>(bytes),
            static_cast<size_t>(sqlite3_column_bytes(statement, column))};
  }

  sqlite3* db_;
  const std::string& name_;
};

template <size_t N>
std::string columnList(const std::array<std::string_view, N>& columns) {
  return fmt::format("{}", fmt::join(columns, ", "));
}

Database openReadOnly(const std::string& database) {
  struct stat st {};
  // SQLite's own message for a missing file ("unable to open database file") says less.
  if (::stat(database.c_str(), &st) != 0 && errno == ENOENT) {
    throw CommandError(fmt::format("cannot open database {}: no such file", database));
  }
  sqlite3* raw = nullptr;
  const int result = sqlite3_open_v2(database.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
  Database db(raw);
  if (result != SQLITE_OK) {
    throw CommandError(fmt::format("cannot open database {}: {}", database,
                                   raw != nullptr ? sqlite3_errmsg(raw) : sqlite3_errstr(result)));
  }
  // A compare writing the same file is waited for, as compare waits for another.
  sqlite3_busy_timeout(raw, 10000);
  return db;
}

// A run's rows in a PostgreSQL database, in the order they were written: its tables are
// only ever appended to, so their physical order (ctid) is that order.
StoredSession readPostgresSession(const std::string& location, int32_t sessionId) {
  PostgresConnection connection(location);
  const std::string context = "cannot read database " + connection.name();
  connection.execute("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY", context);
  const std::vector<PostgresConnection::Value> session = {std::to_string(sessionId)};
  const auto rows = [&](const std::string& sql) {
    std::vector<StoredRow> result;
    for (const auto& row : connection.query(sql, session, context)) {
      StoredRow& values = result.emplace_back();
      for (const auto& value : row) values.push_back(value.value_or(""));
    }
    return result;
  };
  StoredSession stored;
  stored.sessionId = sessionId;
  const auto tables = connection.query("SELECT to_regclass('cvn_runs') IS NOT NULL", {}, context);
  if (!tables.empty() && tables[0].at(0) == "t") {
    for (const StoredRow& row :
         rows("SELECT oldroot, newroot, language, commentchar, multibegcomm, multiendcomm, "
              "threshold, comparetype, comparer, started, language IS NULL FROM cvn_runs "
              "WHERE sessionid = $1 ORDER BY ctid")) {
      StoredRun run{row[0], row[1], row[2], row[3], row[4], row[5], row[6], row[7], row[8], row[9]};
      if (row[10] == "t") run.language.reset();
      stored.runs.push_back(std::move(run));
    }
  }
  if (stored.runs.empty()) {
    throw CommandError(fmt::format("session {} not found in {}", sessionId, connection.name()));
  }
  stored.dirRows =
      rows(fmt::format("SELECT {} FROM dir_compare_results WHERE sessionid = $1 ORDER BY ctid",
                       columnList(kDirColumns)));
  stored.fileRows =
      rows(fmt::format("SELECT {} FROM file_compare_results WHERE sessionid = $1 ORDER BY ctid",
                       columnList(kFileColumns)));
  connection.execute("COMMIT", context);
  return stored;
}

std::vector<int32_t> runSessionsIn(const std::vector<StoredRow>& rows, int64_t run,
                                   const std::string& database) {
  std::vector<int32_t> sessions;
  for (const StoredRow& row : rows) sessions.push_back(std::stoi(row.at(0)));
  if (sessions.empty()) throw CommandError(fmt::format("run {} not found in {}", run, database));
  return sessions;
}

}  // namespace

std::vector<StoredRow> readRows(const std::string& database, const std::string& query,
                                const std::vector<std::string>& parameters) {
  std::vector<StoredRow> rows;
  if (isPostgresLocation(database)) {
    PostgresConnection connection(database);
    const std::vector<PostgresConnection::Value> values(parameters.begin(), parameters.end());
    for (const auto& row :
         connection.query(query, values, "cannot read database " + connection.name())) {
      StoredRow& out = rows.emplace_back();
      for (const auto& value : row) out.push_back(value.value_or(""));
    }
    return rows;
  }
  const Database db = openReadOnly(database);
  const SessionQuery reader(db.get(), database);
  std::string sqlite = query;
  for (char& c : sqlite) {
    if (c == '$') c = '?';
  }
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db.get(), sqlite.c_str(), -1, &raw, nullptr) != SQLITE_OK) reader.fail();
  const Statement statement(raw);
  for (size_t k = 0; k < parameters.size(); ++k) {
    sqlite3_bind_text(raw, static_cast<int>(k + 1), parameters[k].data(),
                      static_cast<int>(parameters[k].size()), SQLITE_TRANSIENT);
  }
  for (;;) {
    const int step = sqlite3_step(raw);
    if (step == SQLITE_DONE) return rows;
    if (step != SQLITE_ROW) reader.fail();
    StoredRow& row = rows.emplace_back();
    for (int column = 0; column < sqlite3_column_count(raw); ++column) {
      const auto* text = sqlite3_column_text(raw, column);
      row.emplace_back(
          text == nullptr ? "" : reinterpret_cast<const char*>(text),
          text == nullptr ? 0 : static_cast<size_t>(sqlite3_column_bytes(raw, column)));
    }
  }
}

std::vector<int32_t> readRunSessions(const std::string& database, int64_t run) {
  const std::string sessions = "SELECT sessionid FROM cvn_runs WHERE run = {} ORDER BY sessionid";
  if (isPostgresLocation(database)) {
    PostgresConnection connection(database);
    const std::string context = "cannot read database " + connection.name();
    // A database that no run of this version wrote has no run column.
    const auto columns = connection.query(
        "SELECT 1 FROM information_schema.columns WHERE table_schema = current_schema() AND "
        "table_name = 'cvn_runs' AND column_name = 'run'",
        {}, context);
    std::vector<StoredRow> rows;
    if (!columns.empty()) {
      for (const auto& row : connection.query(fmt::format(fmt::runtime(sessions), "$1"),
                                              {std::to_string(run)}, context)) {
        rows.push_back({row.at(0).value_or("")});
      }
    }
    return runSessionsIn(rows, run, connection.name());
  }
  const Database db = openReadOnly(database);
  const SessionQuery query(db.get(), database);
  const auto columns =
      query.rows("SELECT COUNT(*) FROM pragma_table_info('cvn_runs') WHERE name = 'run'", 0, 1);
  std::vector<StoredRow> rows;
  if (!columns.empty() && columns.front().front() != "0") {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db.get(), fmt::format(fmt::runtime(sessions), "?1").c_str(), -1, &raw,
                           nullptr) != SQLITE_OK) {
      query.fail();
    }
    const Statement statement(raw);
    sqlite3_bind_int64(raw, 1, run);
    while (sqlite3_step(raw) == SQLITE_ROW)
      rows.push_back({std::to_string(sqlite3_column_int64(raw, 0))});
  }
  return runSessionsIn(rows, run, database);
}

StoredSession readStoredSession(const std::string& database, int32_t sessionId) {
  if (isPostgresLocation(database)) return readPostgresSession(database, sessionId);
  const Database db = openReadOnly(database);
  const SessionQuery query(db.get(), database);
  // One read transaction, so that the three tables agree.
  query.execute("BEGIN");
  StoredSession session;
  session.sessionId = sessionId;
  const auto tables =
      query.rows("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'cvn_runs'",
                 sessionId, 1);
  if (!tables.empty() && tables.front().front() != "0") {
    for (const StoredRow& row :
         query.rows("SELECT oldroot, newroot, language, commentchar, multibegcomm, multiendcomm, "
                    "threshold, comparetype, comparer, started, language IS NULL FROM cvn_runs "
                    "WHERE sessionid = ?1 ORDER BY rowid",
                    sessionId, 11)) {
      StoredRun run{row[0], row[1], row[2], row[3], row[4], row[5], row[6], row[7], row[8], row[9]};
      if (row[10] == "1") run.language.reset();
      session.runs.push_back(std::move(run));
    }
  }
  if (session.runs.empty()) {
    throw CommandError(fmt::format("session {} not found in {}", sessionId, database));
  }
  session.dirRows = query.rows(fmt::format("SELECT {} FROM dir_compare_results WHERE sessionid "
                                           "= ?1 ORDER BY rowid",
                                           columnList(kDirColumns)),
                               sessionId, static_cast<int>(kDirColumns.size()));
  session.fileRows = query.rows(fmt::format("SELECT {} FROM file_compare_results WHERE "
                                            "sessionid = ?1 ORDER BY rowid",
                                            columnList(kFileColumns)),
                                sessionId, static_cast<int>(kFileColumns.size()));
  query.execute("COMMIT");
  return session;
}

}  // namespace cvn::cli
