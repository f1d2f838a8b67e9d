#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "storage/sqlite_statement.hpp"

#include "storage/storage.hpp"

struct sqlite3;

namespace cvn::cli {

// The results in a SQLite file. A file that did not exist before the command is removed
// again when the command rolls back, so a failed run leaves no trace.
class SqliteStorage final : public Storage {
 public:
  SqliteStorage(std::string path, BusyTimeout busyTimeout);
  ~SqliteStorage() override;
  SqliteStorage(const SqliteStorage&) = delete;
  SqliteStorage& operator=(const SqliteStorage&) = delete;

  const std::string& name() const override { return path_; }
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
  std::string writeContext() const { return "cannot write database " + path_; }
  std::string readContext() const { return "cannot read database " + path_; }
  void close() noexcept;
  static int waitWhileBusy(void* storage, int calls);
  // The insert of a table's row with this head, prepared once per transaction and kept.
  SqliteStatement& preparedInsert(std::string_view head, size_t values);

  struct PreparedInsert {
    std::string head;
    size_t values;
    std::unique_ptr<SqliteStatement> statement;
  };

  std::string path_;
  sqlite3* db_ = nullptr;
  bool created_ = false;
  bool inTransaction_ = false;
  std::vector<PreparedInsert> inserts_;
  BusyTimeout busyTimeout_;
  std::chrono::steady_clock::time_point waitStarted_;
  bool saidWaiting_ = false;
  // The largest rowids before this transaction: rows above them are this command's.
  int64_t fileRowsBefore_ = 0;
  int64_t dirRowsBefore_ = 0;
};

}  // namespace cvn::cli
