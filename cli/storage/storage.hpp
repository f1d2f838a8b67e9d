#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace cvn::cli {

// A failure of the results database; the message names the database.
class StorageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One comparison run as the command's own table records it. Text is UTF-8 as the
// component writes it (file name bytes that are not UTF-8 kept as they are).
struct RunRecord {
  int32_t sessionId = 0;
  std::string oldRoot;
  std::string newRoot;
  std::optional<std::string> language;  // none when the markers were set by hand alone
  std::string commentChar;
  std::string multiBegComm;
  std::string multiEndComm;
  int16_t threshold = 0;
  std::string compareType;
  bool legacy = false;
  std::string started;  // UTC, ISO 8601
  // Set when the trees were revisions of a git repository.
  std::optional<std::string> gitRepo;
  std::optional<std::string> oldRevision;
  std::optional<std::string> newRevision;
  bool ignoreWhitespace = false;
  bool ignoreCase = false;
  std::optional<int> renames;  // the least similarity of a rename, in percent, when asked for
  int64_t run = 0;
};

// One compare: the run that its sessions (one a language) belong to.
struct RunHeader {
  int64_t id = 0;
  std::string started;  // UTC, ISO 8601
  std::string oldRoot;
  std::string newRoot;
  // Set when the trees were revisions of a git repository: as typed and as commit ids.
  std::optional<std::string> gitRepo;
  std::optional<std::string> oldRevision;
  std::optional<std::string> newRevision;
  std::optional<std::string> oldCommit;
  std::optional<std::string> newCommit;
  bool legacy = false;
  std::string compareType;
  int16_t threshold = 0;
  bool ignoreWhitespace = false;
  bool ignoreCase = false;
  std::optional<int> renames;
};

// What became of one file of a session: unchanged, modified, new, deleted or renamed.
struct FileStatusRecord {
  int64_t run = 0;
  int32_t sessionId = 0;
  std::string path;  // as the result row names it
  std::string status;
  std::optional<std::string> oldPath;  // a rename's old path
};

// A deleted file taken as renamed: paths after the roots.
struct RenameRecord {
  int64_t run = 0;
  int32_t sessionId = 0;
  std::string oldPath;
  std::string newPath;
  int similarity = 0;
};

// Line counts of one kind of line.
struct LineTotals {
  int64_t same = 0;
  int64_t changed = 0;
  int64_t deleted = 0;
  int64_t added = 0;

  LineTotals& operator+=(const LineTotals& other);
};

// The sums of one session's rows as the database holds them.
struct SessionTotals {
  int64_t sameFiles = 0;
  int64_t unchangedFiles = 0;  // of the same ones, those whose bytes are the same
  int64_t deletedFiles = 0;
  int64_t newFiles = 0;
  LineTotals all;
  LineTotals code;      // zero for legacy rows, which have no split
  LineTotals comments;  // likewise
  int64_t blankOld = 0;
  int64_t blankNew = 0;

  SessionTotals& operator+=(const SessionTotals& other);
};

// Where results go. A command uses one transaction: begin, writes and reads, then commit;
// any failure calls rollback, after which the database is as it was before begin.
class Storage {
 public:
  virtual ~Storage() = default;

  // Names the database in messages; never shows a password.
  virtual const std::string& name() const = 0;
  // True when text must be valid UTF-8 to be stored; file names need not be.
  virtual bool requiresUtf8() const { return false; }

  // Starts the transaction and creates the tables that are missing.
  virtual void begin() = 0;
  // One more than the largest session id in the result tables and the run table; 1 when
  // there is none. Wider than a session id, so the caller sees an overflow.
  virtual int64_t nextSessionId() = 0;
  // The smallest session id from first to last that a table holds, if any.
  virtual std::optional<int64_t> heldSession(int64_t first, int64_t last) = 0;
  // Runs a statement list of the component ("|||" after each statement): the rows it
  // stores are the statements' rows, in their order.
  virtual void executeStatements(std::string_view statements) = 0;
  // One more than the largest run id, 1 when there is none.
  virtual int64_t nextRunId() = 0;
  virtual void recordRunHeader(const RunHeader& run) = 0;
  virtual void recordRun(const RunRecord& run) = 0;
  virtual void recordRename(const RenameRecord& rename) = 0;
  virtual void recordFileStatuses(const std::vector<FileStatusRecord>& files) = 0;
  // The sums of the rows this transaction wrote for a session.
  virtual SessionTotals readTotals(int32_t sessionId) = 0;
  virtual void commit() = 0;
  // Never throws; safe to call at any point, also when begin was never reached.
  virtual void rollback() noexcept = 0;
};

// Opens the storage a --db argument names: a PostgreSQL connection string (a
// postgresql:// or postgres:// URI, or libpq's "key=value" form, told by its "="), otherwise
// a SQLite file path. A failure to open it is a StorageError. While another program holds
// the database, begin() waits: after a second it says so on stderr; after busyTimeout (none:
// for as long as it takes) it fails with a StorageError naming the database.
using BusyTimeout = std::optional<std::chrono::seconds>;
std::unique_ptr<Storage> openStorage(const std::string& location, BusyTimeout busyTimeout = {});

// The line that begin() prints once it has waited a second.
std::string waitingLine(const std::string& database, BusyTimeout busyTimeout);
bool isPostgresLocation(const std::string& location);

}  // namespace cvn::cli
