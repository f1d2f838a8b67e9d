#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace cvn::cli {

// One language's comment conventions, as languages.tsv gives them.
struct Language {
  std::string_view key;       // lower case; what --lang takes
  std::string_view name;      // shown in the summary
  std::string_view patterns;  // "*.ext" suffixes and whole file names, space separated
  std::string_view comment;   // opens a single-line comment; "" for none
  std::string_view begin;     // opens a multi-line comment; "" for none
  std::string_view end;       // closes it
};

// The table, in the order in which language groups run.
std::span<const Language> languages();

// The position of a key in the table, ASCII case ignored.
std::optional<size_t> findLanguage(std::string_view key);

// The position of the language a file name (without folders) belongs to: a whole-name
// pattern first, else the longest matching "*.ext" pattern; ASCII case ignored.
std::optional<size_t> languageOfFileName(std::string_view fileName);

}  // namespace cvn::cli
