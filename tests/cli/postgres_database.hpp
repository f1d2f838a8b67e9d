#pragma once

#include <string>

#include "sqlite_rows.hpp"

namespace cvn::test {

// The test server's connection string from CVN_TEST_POSTGRES (libpq's "key=value" form or
// a URI); "" when it is not set.
std::string postgresTestServer();

// A fresh database on the test server, dropped with the object, so that tests running side
// by side do not meet.
class PostgresDatabase {
 public:
  explicit PostgresDatabase(const std::string& server);
  ~PostgresDatabase();
  PostgresDatabase(const PostgresDatabase&) = delete;
  PostgresDatabase& operator=(const PostgresDatabase&) = delete;

  // Connection strings for cvn's --db.
  const std::string& keywords() const { return keywords_; }
  std::string uri() const;

  // Rows of a query, each value as text ("NULL" for NULL).
  Rows query(const std::string& sql) const;
  void execute(const std::string& sql) const;

 private:
  std::string server_;
  std::string name_;
  std::string keywords_;
};

}  // namespace cvn::test
