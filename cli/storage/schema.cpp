#include "storage/schema.hpp"

namespace cvn::cli {

// All 20 columns of the current per-file statement; the legacy statement names the first
// 12 and leaves the split columns NULL. Plain types that SQLite and PostgreSQL both take.
const std::string_view kCreateTables = R"sql(
CREATE TABLE IF NOT EXISTS file_compare_results (
  sessionid INTEGER, filename TEXT, newlines INTEGER, deletedlines INTEGER,
  samelines INTEGER, commentlinesinold INTEGER, changedlines INTEGER,
  totallinesinold INTEGER, totallinesinnew INTEGER, commentlinesinnew INTEGER,
  blanklinesinold INTEGER, blanklinesinnew INTEGER,
  samelines_comments INTEGER, samelines_code INTEGER,
  changedlines_comments INTEGER, changedlines_code INTEGER,
  deletedlines_comments INTEGER, deletedlines_code INTEGER,
  newlines_comments INTEGER, newlines_code INTEGER);
CREATE TABLE IF NOT EXISTS dir_compare_results (
  sessionid INTEGER, samefiles INTEGER, deletedfiles INTEGER, newfiles INTEGER,
  oldpath TEXT, newpath TEXT);
CREATE TABLE IF NOT EXISTS cvn_runs (
  sessionid INTEGER NOT NULL, oldroot TEXT NOT NULL, newroot TEXT NOT NULL, language TEXT,
  commentchar TEXT NOT NULL, multibegcomm TEXT NOT NULL, multiendcomm TEXT NOT NULL,
  threshold INTEGER NOT NULL, comparetype TEXT NOT NULL,
  comparer TEXT NOT NULL CHECK (comparer IN ('current', 'legacy')), started TEXT NOT NULL,
  gitrepo TEXT, oldrev TEXT, newrev TEXT, ignorewhitespace INTEGER NOT NULL DEFAULT 0,
  ignorecase INTEGER NOT NULL DEFAULT 0, renames INTEGER, run INTEGER);
CREATE TABLE IF NOT EXISTS cvn_renames (
  run INTEGER, sessionid INTEGER NOT NULL, oldpath TEXT NOT NULL, newpath TEXT NOT NULL,
  similarity INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS cvn_run (
  id INTEGER NOT NULL, started TEXT NOT NULL, oldroot TEXT NOT NULL, newroot TEXT NOT NULL,
  gitrepo TEXT, oldrev TEXT, newrev TEXT, oldcommit TEXT, newcommit TEXT,
  comparer TEXT NOT NULL CHECK (comparer IN ('current', 'legacy')), comparetype TEXT NOT NULL,
  threshold INTEGER NOT NULL, ignorewhitespace INTEGER NOT NULL, ignorecase INTEGER NOT NULL,
  renames INTEGER);
CREATE TABLE IF NOT EXISTS cvn_files (
  run INTEGER, sessionid INTEGER NOT NULL, path TEXT NOT NULL, status TEXT NOT NULL,
  oldpath TEXT);
)sql";

// After the tables have their columns: lookups by session and run stay fast as they grow.
const std::string_view kCreateIndexes = R"sql(
CREATE INDEX IF NOT EXISTS file_compare_results_session ON file_compare_results (sessionid);
CREATE INDEX IF NOT EXISTS dir_compare_results_session ON dir_compare_results (sessionid);
CREATE INDEX IF NOT EXISTS cvn_runs_session ON cvn_runs (sessionid);
CREATE INDEX IF NOT EXISTS cvn_runs_run ON cvn_runs (run);
CREATE INDEX IF NOT EXISTS cvn_renames_session ON cvn_renames (sessionid);
CREATE UNIQUE INDEX IF NOT EXISTS cvn_run_id ON cvn_run (id);
CREATE INDEX IF NOT EXISTS cvn_files_session ON cvn_files (sessionid, path);
)sql";

const std::string_view kFileChangesView = R"sql( cvn_file_changes AS
SELECT r.run AS run, f.sessionid AS session, r.language AS language, f.filename AS path,
  s.status AS status, s.oldpath AS old_path,
  f.samelines_code AS code_same, f.changedlines_code AS code_changed,
  f.deletedlines_code AS code_deleted, f.newlines_code AS code_new,
  f.samelines_comments AS comment_same, f.changedlines_comments AS comment_changed,
  f.deletedlines_comments AS comment_deleted, f.newlines_comments AS comment_new,
  f.blanklinesinold AS blank_old, f.blanklinesinnew AS blank_new,
  f.totallinesinold AS lines_old, f.totallinesinnew AS lines_new
FROM file_compare_results f
JOIN cvn_runs r ON r.sessionid = f.sessionid
LEFT JOIN cvn_files s ON s.sessionid = f.sessionid AND s.path = f.filename)sql";

const std::string_view kInsertRunHeader = R"sql(
INSERT INTO cvn_run (id, started, oldroot, newroot, gitrepo, oldrev, newrev, oldcommit, newcommit,
  comparer, comparetype, threshold, ignorewhitespace, ignorecase, renames)
)sql";

// PostgreSQL wants a name for the derived table.
const std::string_view kLargestSessionQuery = R"sql(
SELECT MAX(id) FROM (
  SELECT MAX(sessionid) AS id FROM file_compare_results
  UNION ALL SELECT MAX(sessionid) FROM dir_compare_results
  UNION ALL SELECT MAX(sessionid) FROM cvn_runs) AS ids)sql";

const std::string_view kLargestRunQuery = "SELECT MAX(id) FROM cvn_run";

std::string heldSessionQuery(std::string_view first, std::string_view last) {
  std::string query = "SELECT MIN(sessionid) FROM (";
  const char* separator = "";
  for (const char* table :
       {"file_compare_results", "dir_compare_results", "cvn_runs", "cvn_renames"}) {
    query += separator;
    query += std::string("SELECT sessionid FROM ") + table + " WHERE sessionid BETWEEN " +
             std::string(first) + " AND " + std::string(last);
    separator = " UNION ALL ";
  }
  return query + ") AS held";
}

}  // namespace cvn::cli
