#include "count/count_report.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <string_view>

namespace cvn::cli {
namespace {

constexpr std::array<std::string_view, 4> kCountColumns = {"total", "comment", "blank", "code"};

std::array<int32_t, 4> countValues(const PhysicalCounts& counts) {
  return {counts.total, counts.comment, counts.blank, counts.code};
}

// A JSON string. Bytes that are not UTF-8 (file names may hold any) pass as they are,
// as in the other outputs.
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

// A CSV field, quoted when it holds a separator, a quote or a line break.
std::string csvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::string renderCountTable(const CountReport& report) {
  std::string out =
      fmt::format("file:     {}\nlanguage: {}\n\n", report.file, report.languageLabel);
  const std::array<int32_t, 4> values = countValues(report.counts);
  std::array<size_t, 4> widths{};
  for (size_t k = 0; k < widths.size(); ++k) {
    widths[k] = std::max(kCountColumns[k].size(), fmt::formatted_size("{}", values[k]));
  }
  std::string header;
  std::string rule;
  std::string row;
  for (size_t k = 0; k < widths.size(); ++k) {
    const std::string_view gap = k == 0 ? "" : " | ";
    header += fmt::format("{}{:>{}}", gap, kCountColumns[k], widths[k]);
    rule += fmt::format("{}{}", k == 0 ? "" : "-+-", std::string(widths[k], '-'));
    row += fmt::format("{}{:>{}}", gap, values[k], widths[k]);
  }
  return out + header + '\n' + rule + '\n' + row + '\n';
}

std::string renderCountJson(const CountReport& report) {
  const PhysicalCounts& n = report.counts;
  return fmt::format(
      "{{\"file\":{},\"language\":{},\"total\":{},\"comment\":{},\"blank\":{},\"code\":{}}}\n",
      jsonString(report.file), report.languageKey ? jsonString(*report.languageKey) : "null",
      n.total, n.comment, n.blank, n.code);
}

std::string renderCountCsv(const CountReport& report) {
  const PhysicalCounts& n = report.counts;
  return fmt::format("file,language,total,comment,blank,code\n{},{},{},{},{},{}\n",
                     csvField(report.file), csvField(report.languageKey.value_or("")), n.total,
                     n.comment, n.blank, n.code);
}

}  // namespace cvn::cli
