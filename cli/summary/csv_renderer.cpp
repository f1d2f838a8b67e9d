#include "summary/csv_renderer.hpp"

#include <fmt/format.h>

#include <string_view>
#include <vector>

namespace cvn::cli {
namespace {

constexpr std::string_view kHeader =
    "language,key,session,files_unchanged,files_modified,files_new,files_deleted,"
    "code_same,code_changed,code_deleted,code_new,"
    "comment_same,comment_changed,comment_deleted,comment_new,"
    "all_same,all_changed,all_deleted,all_new,blank_old,blank_new\n";

// A field quoted when it holds a separator, a quote or a line end.
std::string field(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

void appendLines(std::vector<std::string>& cells, const LineTotals& lines, bool shown) {
  for (const int64_t value : {lines.same, lines.changed, lines.deleted, lines.added}) {
    cells.push_back(shown ? fmt::to_string(value) : "");
  }
}

std::string row(std::string_view language, std::string_view key, std::string_view session,
                const SessionTotals& t, bool split) {
  std::vector<std::string> cells = {field(language),
                                    field(key),
                                    std::string(session),
                                    fmt::to_string(t.unchangedFiles),
                                    fmt::to_string(t.sameFiles - t.unchangedFiles),
                                    fmt::to_string(t.newFiles),
                                    fmt::to_string(t.deletedFiles)};
  appendLines(cells, t.code, split);
  appendLines(cells, t.comments, split);
  appendLines(cells, t.all, true);
  cells.push_back(fmt::to_string(t.blankOld));
  cells.push_back(fmt::to_string(t.blankNew));
  return fmt::format("{}\n", fmt::join(cells, ","));
}

}  // namespace

// --by-file: one row a file instead of one a language.
std::string fileRows(const std::vector<SummaryFile>& files) {
  std::string out =
      "path,old_path,language,status,code_same,code_changed,code_deleted,code_new,"
      "comment_same,comment_changed,comment_deleted,comment_new,blank_old,blank_new\n";
  for (const SummaryFile& file : files) {
    std::vector<std::string> cells = {field(file.path), field(file.oldPath.value_or("")),
                                      field(file.language.value_or("")), field(file.status)};
    for (size_t k = 0; k < 8; ++k) {
      const auto& value = !file.counts ? std::nullopt
                          : k < 4      ? file.counts->code[k]
                                       : file.counts->comment[k - 4];
      cells.push_back(value ? fmt::to_string(*value) : "");
    }
    cells.push_back(file.counts ? fmt::to_string(file.counts->blankOld) : "");
    cells.push_back(file.counts ? fmt::to_string(file.counts->blankNew) : "");
    out += fmt::format("{}\n", fmt::join(cells, ","));
  }
  return out;
}

std::string renderSummaryCsv(const Summary& summary) {
  if (summary.byFile) return fileRows(summary.files);
  std::string out(kHeader);
  for (const SummaryRow& r : summary.rows) {
    out += row(r.label, r.key.value_or(""), fmt::to_string(r.sessionId), r.totals, summary.split);
  }
  out += row("total", "", "", summary.total(), summary.split);
  return out;
}

}  // namespace cvn::cli
