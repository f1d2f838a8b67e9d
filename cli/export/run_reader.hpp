#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cvn::cli {

// One row of the run table, as compare recorded it (UTF-8 text, file name bytes as stored).
struct StoredRun {
  std::string oldRoot;
  std::string newRoot;
  std::optional<std::string> language;
  std::string commentChar;
  std::string multiBegComm;
  std::string multiEndComm;
  std::string threshold;
  std::string compareType;
  std::string comparer;  // "current" or "legacy"
  std::string started;
};

// A result row's values as text, in the order of its column list; "" for NULL.
using StoredRow = std::vector<std::string>;

// The columns read from the result tables, without the session id.
inline constexpr std::array<std::string_view, 5> kDirColumns = {"samefiles", "deletedfiles",
                                                                "newfiles", "oldpath", "newpath"};
inline constexpr std::array<std::string_view, 19> kFileColumns = {
    "filename",          "newlines",
    "deletedlines",      "samelines",
    "commentlinesinold", "changedlines",
    "totallinesinold",   "totallinesinnew",
    "commentlinesinnew", "blanklinesinold",
    "blanklinesinnew",   "samelines_comments",
    "samelines_code",    "changedlines_comments",
    "changedlines_code", "deletedlines_comments",
    "deletedlines_code", "newlines_comments",
    "newlines_code"};

// Everything one session holds, each table in rowid order.
struct StoredSession {
  int32_t sessionId = 0;
  std::vector<StoredRun> runs;  // more than one when a session id was given twice
  std::vector<StoredRow> dirRows;
  std::vector<StoredRow> fileRows;
};

// Reads a session from a SQLite file or a PostgreSQL database without changing it. A
// database that cannot be opened or read, or a session with no run recorded, is an error
// naming the database.
StoredSession readStoredSession(const std::string& database, int32_t sessionId);

// The rows of one query, each value as text ("" for NULL), from a SQLite file or a
// PostgreSQL database, without changing it. The query takes its parameters as $1, $2, ...
std::vector<StoredRow> readRows(const std::string& database, const std::string& query,
                                const std::vector<std::string>& parameters);

// The sessions of a run, in order; none is an error naming the run and the database.
std::vector<int32_t> readRunSessions(const std::string& database, int64_t run);

}  // namespace cvn::cli
