#include "languages/language_table.hpp"

#include <array>

#include "languages/language_data.hpp"
#include "platform/ascii.hpp"

namespace cvn::cli {
namespace {

constexpr bool endsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         equalIgnoringAsciiCase(text.substr(text.size() - suffix.size()), suffix);
}

// Calls f with each pattern of a space-separated list.
template <typename F>
constexpr void forEachPattern(std::string_view patterns, F f) {
  while (!patterns.empty()) {
    const size_t space = patterns.find(' ');
    if (space != 0) f(patterns.substr(0, space));
    if (space == std::string_view::npos) break;
    patterns.remove_prefix(space + 1);
  }
}

constexpr bool isSuffixPattern(std::string_view pattern) {
  return pattern.starts_with("*.");
}

// Calls f with each data line: comment lines ("#...") and empty lines are skipped.
template <typename F>
constexpr void forEachRow(std::string_view text, F f) {
  while (!text.empty()) {
    const size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty() && line.front() != '#') f(line);
    if (eol == std::string_view::npos) break;
    text.remove_prefix(eol + 1);
  }
}

constexpr size_t countRows(std::string_view text) {
  size_t rows = 0;
  forEachRow(text, [&](std::string_view) { ++rows; });
  return rows;
}

// A malformed table stops the build here: a throw is not a constant expression.
constexpr Language parseRow(std::string_view line) {
  std::array<std::string_view, 6> fields{};
  size_t count = 0;
  for (;;) {
    if (count == fields.size()) throw "languages.tsv: a line has more than six fields";
    const size_t tab = line.find('\t');
    fields[count++] = line.substr(0, tab);
    if (tab == std::string_view::npos) break;
    line.remove_prefix(tab + 1);
  }
  if (count != fields.size()) throw "languages.tsv: a line has fewer than six fields";
  return {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]};
}

constexpr void checkRow(const Language& row) {
  if (row.key.empty() || row.name.empty() || row.patterns.empty()) {
    throw "languages.tsv: key, name and patterns must not be empty";
  }
  for (char c : row.key) {
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) {
      throw "languages.tsv: keys are lower-case letters and digits";
    }
  }
  if (row.begin.empty() != row.end.empty()) {
    throw "languages.tsv: a begin marker needs an end marker and the other way round";
  }
  forEachPattern(row.patterns, [](std::string_view pattern) {
    if (pattern.find('/') != std::string_view::npos ||
        (isSuffixPattern(pattern) ? pattern.size() < 3
                                  : pattern.find('*') != std::string_view::npos)) {
      throw "languages.tsv: a pattern is \"*.ext\" or a whole file name";
    }
  });
}

template <size_t N>
constexpr std::array<Language, N> parseTable(std::string_view text) {
  std::array<Language, N> table{};
  size_t next = 0;
  forEachRow(text, [&](std::string_view line) {
    table[next] = parseRow(line);
    checkRow(table[next]);
    for (size_t k = 0; k < next; ++k) {
      if (table[k].key == table[next].key) throw "languages.tsv: a key appears twice";
      forEachPattern(table[k].patterns, [&](std::string_view earlier) {
        forEachPattern(table[next].patterns, [&](std::string_view pattern) {
          if (equalIgnoringAsciiCase(earlier, pattern)) {
            throw "languages.tsv: a pattern belongs to two languages";
          }
        });
      });
    }
    ++next;
  });
  return table;
}

constexpr auto kTable = parseTable<countRows(kLanguageTsv)>(kLanguageTsv);

}  // namespace

std::span<const Language> languages() {
  return kTable;
}

std::optional<size_t> findLanguage(std::string_view key) {
  for (size_t k = 0; k < kTable.size(); ++k) {
    if (equalIgnoringAsciiCase(kTable[k].key, key)) return k;
  }
  return std::nullopt;
}

std::optional<size_t> languageOfFileName(std::string_view fileName) {
  std::optional<size_t> best;
  size_t bestLength = 0;
  bool bestIsName = false;
  for (size_t k = 0; k < kTable.size(); ++k) {
    forEachPattern(kTable[k].patterns, [&](std::string_view pattern) {
      if (isSuffixPattern(pattern)) {
        const std::string_view suffix = pattern.substr(1);
        // A name that is only the suffix (".sh") is a hidden file, not an extension.
        if (bestIsName || fileName.size() <= suffix.size() ||
            !endsWithIgnoringCase(fileName, suffix) || suffix.size() <= bestLength) {
          return;
        }
        best = k;
        bestLength = suffix.size();
      } else if (!bestIsName && equalIgnoringAsciiCase(fileName, pattern)) {
        best = k;
        bestIsName = true;
      }
    });
  }
  return best;
}

}  // namespace cvn::cli
