#include "report/report_data.hpp"

#include <fmt/format.h>

#include <charconv>

#include "app/failure.hpp"
#include "export/run_reader.hpp"

namespace cvn::cli {
namespace {

int64_t number(const std::string& text) {
  int64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

LineCounts counts(const StoredRow& row, size_t from) {
  return {number(row.at(from)), number(row.at(from + 1)), number(row.at(from + 2)),
          number(row.at(from + 3))};
}

constexpr std::array<std::string_view, 5> kStatuses = {"unchanged", "modified", "new", "deleted",
                                                       "renamed"};

}  // namespace

ReportData readReportData(const std::string& database, int64_t run) {
  const std::vector<std::string> id = {std::to_string(run)};
  const auto header =
      readRows(database,
               "SELECT started, oldroot, newroot, gitrepo, oldrev, newrev, oldcommit, newcommit, "
               "comparer, comparetype, threshold FROM cvn_run WHERE id = $1",
               id);
  if (header.empty()) throw CommandError(fmt::format("run {} not found in {}", run, database));
  const StoredRow& h = header.front();
  ReportData data{run, h[0], h[1], h[2], h[3], h[4], h[5], h[6], h[7], h[8], h[9], h[10], {}, {}};

  // The sums are those the summary shows: over the stored rows of each session.
  for (const StoredRow& row : readRows(
           database,
           "SELECT r.sessionid, COALESCE(r.language, ''), "
           "COALESCE(SUM(f.samelines_code), 0), COALESCE(SUM(f.changedlines_code), 0), "
           "COALESCE(SUM(f.deletedlines_code), 0), COALESCE(SUM(f.newlines_code), 0), "
           "COALESCE(SUM(f.samelines_comments), 0), COALESCE(SUM(f.changedlines_comments), 0), "
           "COALESCE(SUM(f.deletedlines_comments), 0), COALESCE(SUM(f.newlines_comments), 0) "
           "FROM cvn_runs r LEFT JOIN file_compare_results f ON f.sessionid = r.sessionid "
           "WHERE r.run = $1 GROUP BY r.sessionid, r.language ORDER BY r.sessionid",
           id)) {
    data.languages.push_back(
        {row[1], static_cast<int32_t>(number(row[0])), counts(row, 2), counts(row, 6), {}});
  }
  for (const StoredRow& row : readRows(database,
                                       "SELECT sessionid, status, COUNT(*) FROM cvn_files "
                                       "WHERE run = $1 GROUP BY sessionid, status",
                                       id)) {
    for (ReportLanguage& language : data.languages) {
      if (language.session != number(row[0])) continue;
      for (size_t k = 0; k < kStatuses.size(); ++k) {
        if (row[1] == kStatuses[k]) language.files[k] = number(row[2]);
      }
    }
  }
  for (const StoredRow& row : readRows(
           database,
           "SELECT COALESCE(language, ''), path, COALESCE(old_path, ''), COALESCE(status, ''), "
           "code_same, code_changed, code_deleted, code_new, comment_same, comment_changed, "
           "comment_deleted, comment_new, blank_old, blank_new FROM cvn_file_changes "
           "WHERE run = $1 ORDER BY COALESCE(code_changed, 0) + COALESCE(code_new, 0) + "
           "COALESCE(code_deleted, 0) DESC, path",
           id)) {
    data.files.push_back({row[0], row[1], row[2], row[3], counts(row, 4), counts(row, 8),
                          number(row[12]), number(row[13])});
  }
  return data;
}

}  // namespace cvn::cli
