#include "languages/language_table.hpp"

#include <array>
#include <stdexcept>

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

constexpr bool isPrefixPattern(std::string_view pattern) {
  return !isSuffixPattern(pattern) && pattern.ends_with(".*");
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
  std::array<std::string_view, 7> fields{};
  size_t count = 0;
  for (;;) {
    if (count == fields.size()) throw "languages.tsv: a line has more than seven fields";
    const size_t tab = line.find('\t');
    fields[count++] = line.substr(0, tab);
    if (tab == std::string_view::npos) break;
    line.remove_prefix(tab + 1);
  }
  if (count != fields.size()) throw "languages.tsv: a line has fewer than seven fields";
  return {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6]};
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
    const std::string_view fixed = isSuffixPattern(pattern) ? pattern.substr(2)
                                   : isPrefixPattern(pattern)
                                       ? pattern.substr(0, pattern.size() - 2)
                                       : pattern;
    if (fixed.empty() || fixed.find_first_of("/*") != std::string_view::npos) {
      throw "languages.tsv: a pattern is \"*.ext\", \"name.*\" or a whole file name";
    }
  });
  forEachPattern(row.interpreters, [](std::string_view name) {
    if (name.find_first_of("/.0123456789") != std::string_view::npos) {
      throw "languages.tsv: an interpreter is a program name without folder or version";
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
      forEachPattern(table[k].interpreters, [&](std::string_view earlier) {
        forEachPattern(table[next].interpreters, [&](std::string_view name) {
          if (earlier == name) throw "languages.tsv: an interpreter belongs to two languages";
        });
      });
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

LanguageOverride parseLanguageOverride(std::string_view text) {
  const size_t equals = text.find('=');
  const std::string_view extension = text.substr(0, equals);
  if (equals == std::string_view::npos || extension.empty() || equals + 1 == text.size() ||
      extension.front() == '.' || extension.find_first_of("/*") != std::string_view::npos) {
    throw std::invalid_argument("--lang-for: \"" + std::string(text) + "\" is not EXT=KEY");
  }
  const std::string_view key = text.substr(equals + 1);
  const auto language = findLanguage(key);
  if (!language) {
    throw std::invalid_argument("--lang-for " + std::string(text) + ": no language \"" +
                                std::string(key) + "\"");
  }
  return {std::string(extension), *language};
}

std::optional<size_t> languageOfFileName(std::string_view fileName,
                                         const LanguageOverrides& overrides) {
  // Whole names (rank 3) over "name.*" prefixes (2) over the overrides (1) over "*.ext"
  // suffixes (0), and within a rank the longest.
  std::optional<size_t> best;
  int bestRank = -1;
  size_t bestLength = 0;
  const auto consider = [&](size_t language, int rank, size_t length) {
    if (rank > bestRank || (rank == bestRank && length > bestLength)) {
      best = language;
      bestRank = rank;
      bestLength = length;
    }
  };
  // A name that is only the suffix (".sh") is a hidden file, not an extension.
  const auto endsWithExtension = [&](std::string_view suffix) {
    return fileName.size() > suffix.size() && endsWithIgnoringCase(fileName, suffix);
  };
  for (const LanguageOverride& entry : overrides) {
    if (endsWithExtension("." + entry.extension)) {
      consider(entry.language, 1, entry.extension.size());
    }
  }
  for (size_t k = 0; k < kTable.size(); ++k) {
    forEachPattern(kTable[k].patterns, [&](std::string_view pattern) {
      if (isSuffixPattern(pattern)) {
        if (endsWithExtension(pattern.substr(1))) consider(k, 0, pattern.size());
      } else if (isPrefixPattern(pattern)) {
        const std::string_view prefix = pattern.substr(0, pattern.size() - 1);
        if (fileName.size() > prefix.size() &&
            equalIgnoringAsciiCase(fileName.substr(0, prefix.size()), prefix)) {
          consider(k, 2, prefix.size());
        }
      } else if (equalIgnoringAsciiCase(fileName, pattern)) {
        consider(k, 3, pattern.size());
      }
    });
  }
  return best;
}

bool hasExtension(std::string_view fileName) {
  return fileName.find('.', 1) != std::string_view::npos;
}

namespace {

// A program's name without its folders.
std::string_view programName(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// An interpreter's name, alone or with a version ("python3", "python3.12").
bool namesInterpreter(std::string_view program, std::string_view interpreter) {
  if (!program.starts_with(interpreter)) return false;
  program.remove_prefix(interpreter.size());
  return program.find_first_not_of("0123456789.") == std::string_view::npos;
}

}  // namespace

std::optional<size_t> languageOfFirstLine(std::string_view line) {
  if (!line.starts_with("#!")) return std::nullopt;
  std::vector<std::string_view> words;
  for (std::string_view rest = line.substr(2);;) {
    const size_t start = rest.find_first_not_of(" \t");
    if (start == std::string_view::npos) break;
    rest.remove_prefix(start);
    const size_t end = rest.find_first_of(" \t");
    words.push_back(rest.substr(0, end));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end);
  }
  if (words.empty()) return std::nullopt;
  std::string_view program = programName(words[0]);
  if (program == "env") {
    // env's options and variable settings come before the program it runs.
    program = {};
    for (size_t k = 1; k < words.size(); ++k) {
      if (!words[k].starts_with('-') && words[k].find('=') == std::string_view::npos) {
        program = programName(words[k]);
        break;
      }
    }
  }
  for (size_t k = 0; k < kTable.size(); ++k) {
    bool named = false;
    forEachPattern(kTable[k].interpreters, [&](std::string_view interpreter) {
      named = named || (!program.empty() && namesInterpreter(program, interpreter));
    });
    if (named) return k;
  }
  return std::nullopt;
}

}  // namespace cvn::cli
