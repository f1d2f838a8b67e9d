#include "summary/csv_renderer.hpp"

#include <fmt/format.h>

#include <string_view>
#include <vector>

namespace cvn::cli {
namespace {

constexpr std::string_view kHeader =
    "language,key,session,files_same,files_deleted,files_new,"
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
                                    fmt::to_string(t.sameFiles),
                                    fmt::to_string(t.deletedFiles),
                                    fmt::to_string(t.newFiles)};
  appendLines(cells, t.code, split);
  appendLines(cells, t.comments, split);
  appendLines(cells, t.all, true);
  cells.push_back(fmt::to_string(t.blankOld));
  cells.push_back(fmt::to_string(t.blankNew));
  return fmt::format("{}\n", fmt::join(cells, ","));
}

}  // namespace

std::string renderSummaryCsv(const Summary& summary) {
  std::string out(kHeader);
  for (const SummaryRow& r : summary.rows) {
    out += row(r.label, r.key.value_or(""), fmt::to_string(r.sessionId), r.totals, summary.split);
  }
  out += row("total", "", "", summary.total(), summary.split);
  return out;
}

}  // namespace cvn::cli
