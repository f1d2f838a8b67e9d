#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cvn::cli {

// One language's comment conventions, as languages.tsv gives them.
struct Language {
  std::string_view key;           // lower case; what --lang takes
  std::string_view name;          // shown in the summary
  std::string_view patterns;      // "*.ext" suffixes, "name.*" prefixes and whole file names,
                                  // space separated
  std::string_view interpreters;  // program names of a "#!" line, space separated
  std::string_view comment;       // opens a single-line comment; "" for none
  std::string_view begin;         // opens a multi-line comment; "" for none
  std::string_view end;           // closes it
};

// The table, in the order in which language groups run.
std::span<const Language> languages();

// The position of a key in the table, ASCII case ignored.
std::optional<size_t> findLanguage(std::string_view key);

// A language chosen for the files whose names end in "." and an extension (--lang-for),
// over the table's "*.ext" patterns.
struct LanguageOverride {
  std::string extension;  // without its dot
  size_t language = 0;
};
using LanguageOverrides = std::vector<LanguageOverride>;

// "EXT=KEY" as --lang-for takes it; throws std::invalid_argument, one line naming the fault.
LanguageOverride parseLanguageOverride(std::string_view text);

// The position of the language a file name (without folders) belongs to: a whole-name
// pattern, else the longest "name.*" pattern, else the longest overriding extension, else
// the longest "*.ext" pattern; ASCII case ignored.
std::optional<size_t> languageOfFileName(std::string_view fileName,
                                         const LanguageOverrides& overrides = {});

// Whether a file name has an extension: a dot after its first character.
bool hasExtension(std::string_view fileName);

// The language a file's "#!" line names by its program ("#!/bin/sh -e") or the program env
// runs ("#!/usr/bin/env python3"); none for any other line.
std::optional<size_t> languageOfFirstLine(std::string_view line);

}  // namespace cvn::cli
