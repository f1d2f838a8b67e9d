#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tree/physical_count.hpp"

namespace cvn::cli {

// The physical counts of a group of files, summed.
struct CountRow {
  std::string label;               // the language's name, "custom markers" or "total"
  std::optional<std::string> key;  // none for custom markers and the total
  int64_t files = 0;
  int64_t total = 0;
  int64_t comment = 0;
  int64_t blank = 0;
  int64_t code = 0;

  void add(const PhysicalCounts& counts);
  void add(const CountRow& row);
};

// What "cvn count" found: a row per language in table order, their sum, and the files under
// the folders it counted that no language claims.
struct CountReport {
  std::vector<CountRow> rows;
  CountRow total;  // labelled "total"
  int64_t unknownFiles = 0;
};

// A table for people, the total on its last line, then what was left out.
std::string renderCountTable(const CountReport& report);
// One JSON object on one line: "languages" (language, key, files, total, comment, blank,
// code each), "total" and "unknown_files".
std::string renderCountJson(const CountReport& report);
// A header line, a row per language and a total row.
std::string renderCountCsv(const CountReport& report);

}  // namespace cvn::cli
