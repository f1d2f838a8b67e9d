#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace cvn::cli {

// One prepared statement of SQLite, finalized when it goes out of scope. Failures throw
// StorageError with the given context ("cannot write database x.db") and SQLite's message.
class SqliteStatement {
 public:
  SqliteStatement(sqlite3* db, std::string_view sql, std::string_view context);
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  void bind(int index, int64_t value);
  // Binds the bytes as they are; SQLite does not check that they are UTF-8.
  void bind(int index, std::string_view text);
  void bindNull(int index);
  // True while a row is available.
  bool step();
  int64_t columnInt64(int column) const;
  std::string columnText(int column) const;
  bool columnIsNull(int column) const;
  // Makes the statement ready to be bound and stepped again.
  void reset();

 private:
  [[noreturn]] void fail() const;

  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
  std::string context_;  // a copy: callers pass temporaries
};

// Runs every statement of a text, as sqlite3_exec would, but over a length-delimited text
// so that no terminating NUL is needed.
void executeSql(sqlite3* db, std::string_view sql, std::string_view context);

}  // namespace cvn::cli
