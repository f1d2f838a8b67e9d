#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace cvn::cli {

// Lines of one kind: same, changed, deleted, new.
using LineCounts = std::array<int64_t, 4>;

struct ReportLanguage {
  std::string language;  // key, or "" for markers set by hand
  int32_t session = 0;
  LineCounts code{};
  LineCounts comment{};
  std::array<int64_t, 5> files{};  // unchanged, modified, new, deleted, renamed
};

struct ReportFile {
  std::string language;
  std::string path;
  std::string oldPath;  // a rename's
  std::string status;
  LineCounts code{};
  LineCounts comment{};
  int64_t blankOld = 0;
  int64_t blankNew = 0;
};

// One stored run as the report shows it.
struct ReportData {
  int64_t run = 0;
  std::string started;
  std::string oldRoot;
  std::string newRoot;
  std::string gitRepo;  // empty unless the trees were revisions of a repository
  std::string oldRevision;
  std::string newRevision;
  std::string oldCommit;
  std::string newCommit;
  std::string comparer;
  std::string compareType;
  std::string threshold;
  std::vector<ReportLanguage> languages;  // in session order
  std::vector<ReportFile> files;          // most changed code lines first (changed + new + deleted)
};

// Reads a run from a SQLite file or a PostgreSQL database; an unknown run is a
// CommandError naming it and the database.
ReportData readReportData(const std::string& database, int64_t run);

}  // namespace cvn::cli
