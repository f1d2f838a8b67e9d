#include "sqlite_rows.hpp"

#include <sqlite3.h>

#include <stdexcept>

namespace cvn::test {
namespace {

class Database {
 public:
  Database(const std::filesystem::path& path, int flags) {
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) fail("open");
  }
  ~Database() { sqlite3_close_v2(db_); }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;
  sqlite3* get() const { return db_; }
  [[noreturn]] void fail(const std::string& what) const {
    throw std::runtime_error(what + ": " + (db_ != nullptr ? sqlite3_errmsg(db_) : "no memory"));
  }

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace

Rows queryRows(const std::filesystem::path& database, const std::string& sql) {
  Database db(database, SQLITE_OPEN_READONLY);
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    db.fail(sql);
  }
  Rows rows;
  int result = SQLITE_ROW;
  while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
    std::vector<std::string>& row = rows.emplace_back();
    for (int c = 0; c < sqlite3_column_count(statement); ++c) {
      if (sqlite3_column_type(statement, c) == SQLITE_NULL) {
        row.emplace_back("NULL");
      } else {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
        row.emplace_back(text, static_cast<size_t>(sqlite3_column_bytes(statement, c)));
      }
    }
  }
  sqlite3_finalize(statement);
  if (result != SQLITE_DONE) db.fail(sql);
  return rows;
}

void executeOn(const std::filesystem::path& database, const std::string& sql) {
  Database db(database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  if (sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) db.fail(sql);
}

}  // namespace cvn::test
