#include "summary/table_renderer.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <string_view>

namespace cvn::cli {
namespace {

struct Group {
  std::string_view title;
  std::vector<std::string_view> columns;
};

const std::array<Group, 5> kGroups = {{
    {"files", {"unch", "mod", "new", "del"}},
    {"code lines", {"same", "chg", "del", "new"}},
    {"comment lines", {"same", "chg", "del", "new"}},
    {"all lines", {"same", "chg", "del", "new"}},
    {"blank lines", {"old", "new"}},
}};

std::vector<std::string> lineCells(const LineTotals& lines, bool shown) {
  if (!shown) return {"-", "-", "-", "-"};
  return {fmt::to_string(lines.same), fmt::to_string(lines.changed), fmt::to_string(lines.deleted),
          fmt::to_string(lines.added)};
}

// The cells of one row, group by group.
std::vector<std::vector<std::string>> rowCells(const SessionTotals& t, bool split) {
  return {
      {fmt::to_string(t.unchangedFiles), fmt::to_string(t.sameFiles - t.unchangedFiles),
       fmt::to_string(t.newFiles), fmt::to_string(t.deletedFiles)},
      lineCells(t.code, split),
      lineCells(t.comments, split),
      lineCells(t.all, true),
      {fmt::to_string(t.blankOld), fmt::to_string(t.blankNew)},
  };
}

class TableText {
 public:
  TableText(std::vector<std::string> labels,
            std::vector<std::vector<std::vector<std::string>>> rows)
      : labels_(std::move(labels)), rows_(std::move(rows)) {
    labelWidth_ = std::string_view("language").size();
    for (const auto& label : labels_) labelWidth_ = std::max(labelWidth_, label.size());
    widths_.resize(kGroups.size());
    for (size_t g = 0; g < kGroups.size(); ++g) {
      for (size_t c = 0; c < kGroups[g].columns.size(); ++c) {
        size_t width = std::max<size_t>(4, kGroups[g].columns[c].size());
        for (const auto& row : rows_) width = std::max(width, row[g][c].size());
        widths_[g].push_back(width);
      }
      // A long group title widens its last column.
      const size_t spanned = groupWidth(g);
      if (kGroups[g].title.size() > spanned) widths_[g].back() += kGroups[g].title.size() - spanned;
    }
  }

  void header(std::string& out) const {
    out += fmt::format("{:{}}", "", labelWidth_);
    for (size_t g = 0; g < kGroups.size(); ++g) {
      out += fmt::format(" | {:<{}}", kGroups[g].title, groupWidth(g));
    }
    trimLine(out);
    out += fmt::format("{:<{}}", "language", labelWidth_);
    for (size_t g = 0; g < kGroups.size(); ++g) {
      out += " |";
      for (size_t c = 0; c < widths_[g].size(); ++c) {
        out += fmt::format(" {:>{}}", kGroups[g].columns[c], widths_[g][c]);
      }
    }
    out += '\n';
  }

  void rule(std::string& out) const {
    out += std::string(labelWidth_, '-');
    for (size_t g = 0; g < kGroups.size(); ++g) out += "-+" + std::string(groupWidth(g) + 1, '-');
    out += '\n';
  }

  void row(std::string& out, size_t r) const {
    out += fmt::format("{:<{}}", labels_[r], labelWidth_);
    for (size_t g = 0; g < kGroups.size(); ++g) {
      out += " |";
      for (size_t c = 0; c < widths_[g].size(); ++c) {
        out += fmt::format(" {:>{}}", rows_[r][g][c], widths_[g][c]);
      }
    }
    out += '\n';
  }

  size_t rowCount() const { return rows_.size(); }

 private:
  size_t groupWidth(size_t g) const {
    size_t width = widths_[g].size() - 1;  // the spaces between columns
    for (size_t w : widths_[g]) width += w;
    return width;
  }

  static void trimLine(std::string& out) {
    while (!out.empty() && out.back() == ' ') out.pop_back();
    out += '\n';
  }

  std::vector<std::string> labels_;
  std::vector<std::vector<std::vector<std::string>>> rows_;
  size_t labelWidth_ = 0;
  std::vector<std::vector<size_t>> widths_;
};

std::string sessionText(const Summary& summary) {
  const int32_t first = summary.rows.front().sessionId;
  const int32_t last = summary.rows.back().sessionId;
  return first == last ? fmt::format("session {}", first)
                       : fmt::format("sessions {}-{}", first, last);
}

std::string countCell(const std::optional<int64_t>& value) {
  return value ? fmt::to_string(*value) : "-";
}

// Every file, one a line: its status, language and counts, then its path.
std::string fileTable(const std::vector<SummaryFile>& files) {
  std::string out =
      fmt::format("{:<11} {:<10} {:>29} {:>30} {:>13}  path\n", "status", "language",
                  "code same   chg   del   new", "comment same   chg   del   new", "blank old new");
  for (const SummaryFile& file : files) {
    std::array<std::string, 10> cells;
    cells.fill("");
    if (file.counts) {
      for (size_t k = 0; k < 4; ++k) {
        cells[k] = countCell(file.counts->code[k]);
        cells[4 + k] = countCell(file.counts->comment[k]);
      }
      cells[8] = fmt::to_string(file.counts->blankOld);
      cells[9] = fmt::to_string(file.counts->blankNew);
    }
    std::string path = file.path;
    if (file.oldPath) path = *file.oldPath + " -> " + path;
    out += fmt::format("{:<11} {:<10} {:>11}{:>6}{:>6}{:>6} {:>12}{:>6}{:>6}{:>6} {:>9}{:>4}  {}\n",
                       file.status, file.language.value_or("-"), cells[0], cells[1], cells[2],
                       cells[3], cells[4], cells[5], cells[6], cells[7], cells[8], cells[9], path);
  }
  return out + "\n";
}

}  // namespace

std::string renderSummaryTable(const Summary& summary) {
  std::vector<std::string> labels;
  std::vector<std::vector<std::vector<std::string>>> rows;
  for (const SummaryRow& row : summary.rows) {
    labels.push_back(row.label);
    rows.push_back(rowCells(row.totals, summary.split));
  }
  labels.emplace_back("total");
  rows.push_back(rowCells(summary.total(), summary.split));
  const TableText table(std::move(labels), std::move(rows));

  std::string out = summary.byFile ? fileTable(summary.files) : std::string();
  out += fmt::format("old: {}\nnew: {}\n\n", summary.oldRoot, summary.newRoot);
  table.header(out);
  table.rule(out);
  for (size_t r = 0; r + 1 < table.rowCount(); ++r) table.row(out, r);
  if (table.rowCount() > 1) table.rule(out);
  table.row(out, table.rowCount() - 1);
  out += '\n';
  if (summary.unknownOld + summary.unknownNew > 0) {
    const int64_t unknown = summary.unknownOld + summary.unknownNew;
    out += fmt::format("Left out {} file{} of no known language (old {}, new {}).\n", unknown,
                       unknown == 1 ? "" : "s", summary.unknownOld, summary.unknownNew);
  }
  if (!summary.renames.empty()) {
    out += fmt::format("Renamed {} file{} (old -> new, lines alike):\n", summary.renames.size(),
                       summary.renames.size() == 1 ? "" : "s");
    for (const SummaryRename& r : summary.renames) {
      out += fmt::format("  {} -> {} ({}%, {})\n", r.oldPath, r.newPath, r.similarity, r.label);
    }
  }
  if (summary.submodules > 0) {
    out += fmt::format("Left out {} submodule{}: another repository holds their files.\n",
                       summary.submodules, summary.submodules == 1 ? "" : "s");
  }
  if (!summary.split) out += "The legacy comparer does not split code and comment lines.\n";
  if (!summary.stored) {
    out += "Nothing stored (--no-db).\n";
  } else if (summary.rows.empty()) {
    out += fmt::format("No file of a known language: nothing stored in {}.\n", summary.database);
  } else {
    out += fmt::format("Stored as run {} ({}) in {}.\n", summary.run, sessionText(summary),
                       summary.database);
  }
  return out;
}

}  // namespace cvn::cli
