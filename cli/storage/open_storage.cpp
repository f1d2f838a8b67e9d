#include "storage/postgres_storage.hpp"
#include "storage/sqlite_storage.hpp"
#include "storage/storage.hpp"

namespace cvn::cli {

bool isPostgresLocation(const std::string& location) {
  return location.starts_with("postgresql://") || location.starts_with("postgres://") ||
         location.find('=') != std::string::npos;
}

std::unique_ptr<Storage> openStorage(const std::string& location) {
  if (isPostgresLocation(location)) return std::make_unique<PostgresStorage>(location);
  return std::make_unique<SqliteStorage>(location);
}

}  // namespace cvn::cli
