#include "storage/postgres_storage.hpp"
#include "storage/sqlite_storage.hpp"
#include "storage/storage.hpp"

namespace cvn::cli {

bool isPostgresLocation(const std::string& location) {
  return location.starts_with("postgresql://") || location.starts_with("postgres://") ||
         location.find('=') != std::string::npos;
}

std::unique_ptr<Storage> openStorage(const std::string& location, BusyTimeout busyTimeout) {
  if (isPostgresLocation(location)) return std::make_unique<PostgresStorage>(location, busyTimeout);
  return std::make_unique<SqliteStorage>(location, busyTimeout);
}

std::string waitingLine(const std::string& database, BusyTimeout busyTimeout) {
  const std::string limit =
      busyTimeout ? " (at most " + std::to_string(busyTimeout->count()) + " s, --busy-timeout)"
                  : "";
  return "cvn: waiting for another program to finish writing " + database + limit + "\n";
}

}  // namespace cvn::cli
