#include "storage/sqlite_storage.hpp"
#include "storage/storage.hpp"

namespace cvn::cli {

std::unique_ptr<Storage> openStorage(const std::string& location) {
  // Back ends are chosen by the form of the location; anything else is a SQLite file.
  if (location.starts_with("postgresql://") || location.starts_with("postgres://")) {
    throw StorageError("cannot open database " + location +
                       ": this build stores results in SQLite files only");
  }
  return std::make_unique<SqliteStorage>(location);
}

}  // namespace cvn::cli
