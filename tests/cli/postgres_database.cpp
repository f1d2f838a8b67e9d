#include "postgres_database.hpp"

#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>

namespace cvn::test {
namespace {

struct ConnectionClose {
  void operator()(PGconn* connection) const { PQfinish(connection); }
};
using Connection = std::unique_ptr<PGconn, ConnectionClose>;

// The settings of a connection string, by keyword.
std::map<std::string, std::string> settingsOf(const std::string& conninfo) {
  char* error = nullptr;
  PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), &error);
  if (options == nullptr) {
    const std::string message = error != nullptr ? error : "no memory";
    PQfreemem(error);
    throw std::runtime_error("CVN_TEST_POSTGRES: " + message);
  }
  std::map<std::string, std::string> settings;
  for (const PQconninfoOption* option = options; option->keyword != nullptr; ++option) {
    if (option->val != nullptr) settings[option->keyword] = option->val;
  }
  PQconninfoFree(options);
  return settings;
}

std::string keywordsOf(const std::map<std::string, std::string>& settings) {
  std::string text;
  for (const auto& [keyword, value] : settings) {
    std::string quoted;
    for (const char c : value) {
      if (c == '\'' || c == '\\') quoted += '\\';
      quoted += c;
    }
    text += (text.empty() ? "" : " ") + keyword + "='" + quoted + "'";
  }
  return text;
}

Connection connect(const std::string& conninfo) {
  Connection connection(PQconnectdb(conninfo.c_str()));
  if (!connection || PQstatus(connection.get()) != CONNECTION_OK) {
    throw std::runtime_error("cannot connect to the test server: " +
                             std::string(connection ? PQerrorMessage(connection.get()) : ""));
  }
  PQsetNoticeProcessor(
      connection.get(), [](void*, const char*) {}, nullptr);
  return connection;
}

void run(PGconn* connection, const std::string& sql) {
  PGresult* result = PQexec(connection, sql.c_str());
  const ExecStatusType status = PQresultStatus(result);
  const std::string message = PQresultErrorMessage(result);
  PQclear(result);
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    throw std::runtime_error(sql + ": " + message);
  }
}

}  // namespace

std::string postgresTestServer() {
  const char* server = std::getenv("CVN_TEST_POSTGRES");
  return server != nullptr ? server : "";
}

PostgresDatabase::PostgresDatabase(const std::string& server) : server_(server) {
  static std::atomic<int> counter = 0;
  name_ = "cvn_test_" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
  const Connection admin = connect(server_);
  run(admin.get(), "DROP DATABASE IF EXISTS " + name_);
  run(admin.get(), "CREATE DATABASE " + name_ + " ENCODING 'UTF8' TEMPLATE template0");
  auto settings = settingsOf(server_);
  settings["dbname"] = name_;
  keywords_ = keywordsOf(settings);
}

PostgresDatabase::~PostgresDatabase() {
  try {
    const Connection admin = connect(server_);
    run(admin.get(), "DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
  } catch (const std::exception&) {
    // The cluster is thrown away after the tests anyway.
  }
}

std::string PostgresDatabase::uri() const {
  const auto settings = settingsOf(keywords_);
  const auto value = [&](const char* keyword, const char* fallback) {
    const auto found = settings.find(keyword);
    return found != settings.end() ? found->second : std::string(fallback);
  };
  return "postgresql://" + value("user", "postgres") + "@" + value("host", "127.0.0.1") + ":" +
         value("port", "5432") + "/" + name_;
}

Rows PostgresDatabase::query(const std::string& sql) const {
  const Connection connection = connect(keywords_);
  PGresult* result = PQexec(connection.get(), sql.c_str());
  if (PQresultStatus(result) != PGRES_TUPLES_OK) {
    const std::string message = PQresultErrorMessage(result);
    PQclear(result);
    throw std::runtime_error(sql + ": " + message);
  }
  Rows rows;
  for (int r = 0; r < PQntuples(result); ++r) {
    std::vector<std::string>& row = rows.emplace_back();
    for (int c = 0; c < PQnfields(result); ++c) {
      row.emplace_back(PQgetisnull(result, r, c) ? "NULL" : PQgetvalue(result, r, c));
    }
  }
  PQclear(result);
  return rows;
}

void PostgresDatabase::execute(const std::string& sql) const {
  const Connection connection = connect(keywords_);
  run(connection.get(), sql);
}

}  // namespace cvn::test
