#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "storage/storage.hpp"

namespace cvn::cli {

class PostgresConnection;

// The results in a PostgreSQL database, in the same tables as the SQLite back end. The
// command's transaction holds a lock that other cvn runs wait for, so two runs never pick
// the same session id; a rollback leaves the database as it was, tables included.
class PostgresStorage final : public Storage {
 public:
  PostgresStorage(const std::string& location, BusyTimeout busyTimeout);
  ~PostgresStorage() override;
  PostgresStorage(const PostgresStorage&) = delete;
  PostgresStorage& operator=(const PostgresStorage&) = delete;

  const std::string& name() const override;
  // The server keeps text in UTF-8: names in other bytes cannot be stored.
  bool requiresUtf8() const override { return true; }
  void begin() override;
  int64_t nextSessionId() override;
  std::optional<int64_t> heldSession(int64_t first, int64_t last) override;
  void executeStatements(std::string_view statements) override;
  int64_t nextRunId() override;
  void recordRunHeader(const RunHeader& run) override;
  void recordRun(const RunRecord& run) override;
  void recordRename(const RenameRecord& rename) override;
  void recordFileStatuses(const std::vector<FileStatusRecord>& files) override;
  SessionTotals readTotals(int32_t sessionId) override;
  void commit() override;
  void rollback() noexcept override;

 private:
  std::string writeContext() const { return "cannot write database " + name(); }
  std::string readContext() const { return "cannot read database " + name(); }
  void addMissingRunColumns();

  std::unique_ptr<PostgresConnection> connection_;
  bool inTransaction_ = false;
  BusyTimeout busyTimeout_;
};

}  // namespace cvn::cli
