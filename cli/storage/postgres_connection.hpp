#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct pg_conn;

namespace cvn::cli {

// A connection to a PostgreSQL server through libpq, in UTF-8, closed with the object.
// Failures throw StorageError with the given context and the server's message on one line.
class PostgresConnection {
 public:
  // A NULL value is an empty optional.
  using Value = std::optional<std::string>;
  using Rows = std::vector<std::vector<Value>>;

  // Connects with a URI or a "key=value" string; a failure names the database.
  explicit PostgresConnection(const std::string& location);
  ~PostgresConnection();
  PostgresConnection(const PostgresConnection&) = delete;
  PostgresConnection& operator=(const PostgresConnection&) = delete;

  // The location without its password, for messages.
  const std::string& name() const { return name_; }

  // Runs one or more statements without parameters; returns the last one's command tag.
  std::string execute(std::string_view sql, std::string_view context);
  // Runs one statement with text parameters ($1, $2, ...) and returns its rows as text.
  Rows query(const std::string& sql, const std::vector<Value>& parameters,
             std::string_view context);
  // Best effort and silent, for clean-up paths.
  void executeQuietly(const char* sql) noexcept;

 private:
  pg_conn* connection_ = nullptr;
  std::string name_;
};

// A location as messages may show it: as given unless it holds a password, else libpq's
// "key=value" form of its settings without the password.
std::string describePostgresLocation(const std::string& location);

}  // namespace cvn::cli
