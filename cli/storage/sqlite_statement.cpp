#include "storage/sqlite_statement.hpp"

#include <sqlite3.h>

#include <climits>
#include <string>

#include "storage/storage.hpp"

namespace cvn::cli {
namespace {

[[noreturn]] void failWith(sqlite3* db, std::string_view context) {
  throw StorageError(std::string(context) + ": " + sqlite3_errmsg(db));
}

int byteCount(std::string_view text, std::string_view context) {
  if (text.size() > static_cast<size_t>(INT_MAX)) {
    throw StorageError(std::string(context) + ": statement too long");
  }
  return static_cast<int>(text.size());
}

}  // namespace

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql, std::string_view context)
    : db_(db), context_(context) {
  if (sqlite3_prepare_v2(db, sql.data(), byteCount(sql, context), &statement_, nullptr) !=
      SQLITE_OK) {
    fail();
  }
}

SqliteStatement::~SqliteStatement() {
  sqlite3_finalize(statement_);
}

void SqliteStatement::bind(int index, int64_t value) {
  if (sqlite3_bind_int64(statement_, index, value) != SQLITE_OK) fail();
}

void SqliteStatement::bind(int index, std::string_view text) {
  if (sqlite3_bind_text(statement_, index, text.data(), byteCount(text, context_),
                        SQLITE_TRANSIENT) != SQLITE_OK) {
    fail();
  }
}

void SqliteStatement::bindNull(int index) {
  if (sqlite3_bind_null(statement_, index) != SQLITE_OK) fail();
}

bool SqliteStatement::step() {
  const int result = sqlite3_step(statement_);
  if (result == SQLITE_ROW) return true;
  if (result == SQLITE_DONE) return false;
  fail();
}

void SqliteStatement::reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

int64_t SqliteStatement::columnInt64(int column) const {
  return sqlite3_column_int64(statement_, column);
}

std::string SqliteStatement::columnText(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
  if (text == nullptr) return {};
  return {text, static_cast<size_t>(sqlite3_column_bytes(statement_, column))};
}

bool SqliteStatement::columnIsNull(int column) const {
  return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

void SqliteStatement::fail() const {
  failWith(db_, context_);
}

void executeSql(sqlite3* db, std::string_view sql, std::string_view context) {
  while (!sql.empty()) {
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, sql.data(), byteCount(sql, context), &statement, &tail) !=
        SQLITE_OK) {
      failWith(db, context);
    }
    if (statement == nullptr) break;  // only white space or comments were left
    int result = SQLITE_ROW;
    while (result == SQLITE_ROW) result = sqlite3_step(statement);
    // The message is taken before finalize can replace it.
    const std::string message = result == SQLITE_DONE ? "" : sqlite3_errmsg(db);
    sqlite3_finalize(statement);
    if (result != SQLITE_DONE) throw StorageError(std::string(context) + ": " + message);
    sql.remove_prefix(static_cast<size_t>(tail - sql.data()));
  }
}

}  // namespace cvn::cli
