#include "count/count_report.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <string_view>

namespace cvn::cli {
namespace {

constexpr std::array<std::string_view, 5> kColumns = {"files", "total", "comment", "blank", "code"};

std::array<int64_t, 5> values(const CountRow& row) {
  return {row.files, row.total, row.comment, row.blank, row.code};
}

// A JSON string. Bytes that are not UTF-8 pass as they are, as in the other outputs.
std::string jsonString(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      out += fmt::format("\\u{:04x}", byte);
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string jsonCounts(const CountRow& row) {
  return fmt::format("\"files\":{},\"total\":{},\"comment\":{},\"blank\":{},\"code\":{}", row.files,
                     row.total, row.comment, row.blank, row.code);
}

std::string csvRow(const CountRow& row) {
  return fmt::format("{},{},{},{},{},{},{}\n", row.label, row.key.value_or(""), row.files,
                     row.total, row.comment, row.blank, row.code);
}

}  // namespace

void CountRow::add(const PhysicalCounts& counts) {
  ++files;
  total += counts.total;
  comment += counts.comment;
  blank += counts.blank;
  code += counts.code;
}

void CountRow::add(const CountRow& row) {
  files += row.files;
  total += row.total;
  comment += row.comment;
  blank += row.blank;
  code += row.code;
}

std::string renderCountTable(const CountReport& report) {
  size_t labelWidth = std::string_view("language").size();
  std::array<size_t, 5> widths{};
  for (size_t k = 0; k < widths.size(); ++k) widths[k] = kColumns[k].size();
  for (const CountRow& row : report.rows) labelWidth = std::max(labelWidth, row.label.size());
  // The total is the widest number of each column.
  for (size_t k = 0; k < widths.size(); ++k) {
    widths[k] = std::max(widths[k], fmt::formatted_size("{}", values(report.total)[k]));
  }
  std::string rule = std::string(labelWidth, '-');
  std::string out = fmt::format("{:<{}}", "language", labelWidth);
  for (size_t k = 0; k < widths.size(); ++k) {
    out += fmt::format(" | {:>{}}", kColumns[k], widths[k]);
    rule += "-+-" + std::string(widths[k], '-');
  }
  out += '\n' + rule + '\n';
  const auto line = [&](const CountRow& row) {
    out += fmt::format("{:<{}}", row.label, labelWidth);
    for (size_t k = 0; k < widths.size(); ++k) {
      out += fmt::format(" | {:>{}}", values(row)[k], widths[k]);
    }
    out += '\n';
  };
  for (const CountRow& row : report.rows) line(row);
  out += rule + '\n';
  line(report.total);
  if (report.unknownFiles > 0) {
    out += fmt::format("\nLeft out {} file{} of no known language.\n", report.unknownFiles,
                       report.unknownFiles == 1 ? "" : "s");
  }
  return out;
}

std::string renderCountJson(const CountReport& report) {
  std::string languages;
  for (const CountRow& row : report.rows) {
    languages += fmt::format("{}{{\"language\":{},\"key\":{},{}}}", languages.empty() ? "" : ",",
                             jsonString(row.label), row.key ? jsonString(*row.key) : "null",
                             jsonCounts(row));
  }
  return fmt::format("{{\"languages\":[{}],\"total\":{{{}}},\"unknown_files\":{}}}\n", languages,
                     jsonCounts(report.total), report.unknownFiles);
}

std::string renderCountCsv(const CountReport& report) {
  std::string out = "language,key,files,total,comment,blank,code\n";
  for (const CountRow& row : report.rows) out += csvRow(row);
  return out + csvRow(report.total);
}

}  // namespace cvn::cli
