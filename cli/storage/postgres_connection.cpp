#include "storage/postgres_connection.hpp"

#include <memory>
#include <string>

#include "storage/libpq_library.hpp"
#include "storage/storage.hpp"

namespace cvn::cli {
namespace {

struct ResultFree {
  void operator()(PGresult* result) const { libpq().clear(result); }
};
using Result = std::unique_ptr<PGresult, ResultFree>;

struct OptionsFree {
  void operator()(PQconninfoOption* options) const { libpq().conninfoFree(options); }
};

// libpq's messages end in a newline and may continue on indented lines; ours are one line.
std::string oneLine(std::string_view text) {
  std::string line;
  bool gap = false;
  for (const char c : text) {
    if (c == '\n' || c == '\r' || c == '\t') {
      gap = true;
      continue;
    }
    if (gap && !line.empty() && line.back() != ' ') line += ' ';
    gap = false;
    line += c;
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

std::string resultMessage(const PGresult* result, PGconn* connection) {
  if (result != nullptr) {
    if (const char* primary = libpq().resultErrorField(result, PG_DIAG_MESSAGE_PRIMARY)) {
      return oneLine(primary);
    }
  }
  return oneLine(libpq().errorMessage(connection));
}

bool succeeded(const PGresult* result) {
  const ExecStatusType status = libpq().resultStatus(result);
  return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_EMPTY_QUERY;
}

// A value quoted as libpq's "key=value" form reads it.
std::string quotedValue(std::string_view value) {
  std::string quoted = "'";
  for (const char c : value) {
    if (c == '\'' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "'";
}

}  // namespace

std::string describePostgresLocation(const std::string& location) {
  char* error = nullptr;
  const std::unique_ptr<PQconninfoOption, OptionsFree> options(
      libpq().conninfoParse(location.c_str(), &error));
  libpq().freemem(error);
  if (!options) return location;
  bool hasPassword = false;
  std::string described;
  for (const PQconninfoOption* option = options.get(); option->keyword != nullptr; ++option) {
    if (option->val == nullptr) continue;
    if (std::string_view(option->keyword) == "password") {
      hasPassword = true;
      continue;
    }
    if (!described.empty()) described += ' ';
    described += std::string(option->keyword) + "=" + quotedValue(option->val);
  }
  return hasPassword ? described : location;
}

PostgresConnection::PostgresConnection(const std::string& location)
    : name_(describePostgresLocation(location)) {
  connection_ = libpq().connectdb(location.c_str());
  if (connection_ == nullptr) throw StorageError("cannot open database " + name_ + ": no memory");
  if (libpq().status(connection_) != CONNECTION_OK ||
      libpq().setClientEncoding(connection_, "UTF8") != 0) {
    const std::string message = oneLine(libpq().errorMessage(connection_));
    libpq().finish(connection_);
    connection_ = nullptr;
    throw StorageError("cannot open database " + name_ + ": " + message);
  }
  // Notices ("table exists, skipping") are not for the user.
  libpq().setNoticeProcessor(
      connection_, [](void*, const char*) {}, nullptr);
}

PostgresConnection::~PostgresConnection() {
  if (connection_ != nullptr) libpq().finish(connection_);
}

std::string PostgresConnection::execute(std::string_view sql, std::string_view context) {
  const Result result(libpq().exec(connection_, std::string(sql).c_str()));
  if (!result || !succeeded(result.get())) {
    throw StorageError(std::string(context) + ": " + resultMessage(result.get(), connection_));
  }
  return libpq().cmdStatus(result.get());
}

PostgresConnection::Rows PostgresConnection::query(const std::string& sql,
                                                   const std::vector<Value>& parameters,
                                                   std::string_view context) {
  std::vector<const char*> values;
  values.reserve(parameters.size());
  for (const Value& parameter : parameters) {
    values.push_back(parameter ? parameter->c_str() : nullptr);
  }
  const Result result(libpq().execParams(connection_, sql.c_str(), static_cast<int>(values.size()),
                                         nullptr, values.data(), nullptr, nullptr, 0));
  if (!result || !succeeded(result.get())) {
    throw StorageError(std::string(context) + ": " + resultMessage(result.get(), connection_));
  }
  Rows rows(static_cast<size_t>(libpq().ntuples(result.get())));
  const int columns = libpq().nfields(result.get());
  for (size_t r = 0; r < rows.size(); ++r) {
    const int row = static_cast<int>(r);
    for (int c = 0; c < columns; ++c) {
      if (libpq().getisnull(result.get(), row, c)) {
        rows[r].emplace_back();
      } else {
        rows[r].emplace_back(
            std::string(libpq().getvalue(result.get(), row, c),
                        static_cast<size_t>(libpq().getlength(result.get(), row, c))));
      }
    }
  }
  return rows;
}

void PostgresConnection::executeQuietly(const char* sql) noexcept {
  if (connection_ != nullptr) libpq().clear(libpq().exec(connection_, sql));
}

}  // namespace cvn::cli
