#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "languages/language_table.hpp"

namespace cvn::cli {

// The comment markers of one run.
struct Markers {
  std::u16string comment;
  std::u16string begin;
  std::u16string end;
};

// One compareFileList call: its markers and the part of each listing it compares.
struct PlannedRun {
  std::string label;                       // shown in the summary
  std::optional<std::string> languageKey;  // recorded with the run
  Markers markers;
  std::vector<std::u16string> oldFiles;
  std::vector<std::u16string> newFiles;
};

struct RunPlan {
  std::vector<PlannedRun> runs;
  int64_t unknownOld = 0;
  int64_t unknownNew = 0;
  // The files no language claims, in listing order.
  std::vector<std::u16string> unknownOldFiles;
  std::vector<std::u16string> unknownNewFiles;
};

// The language of a listed file: by its name (languageOfFileName), else, for a name without
// an extension, by its "#!" line, read through the FileSystem seam (a file that cannot be
// read has none).
std::optional<size_t> languageOfPath(const std::u16string& path,
                                     const LanguageOverrides& overrides);

// The language of each file of a listing, in its order, as languageOfPath gives it.
using FileLanguages = std::vector<std::optional<size_t>>;
FileLanguages languagesOf(const std::vector<std::u16string>& files,
                          const LanguageOverrides& overrides = {});

// One run per language of the table that has a file on either side, in table order, each
// with the files of that language, in listing order. Files of no language are only counted.
RunPlan planByLanguage(const std::vector<std::u16string>& oldFiles,
                       const std::vector<std::u16string>& newFiles,
                       const LanguageOverrides& overrides = {});
// The same with the languages found already (languagesOf of each listing).
RunPlan planByLanguage(const std::vector<std::u16string>& oldFiles,
                       const std::vector<std::u16string>& newFiles,
                       const FileLanguages& oldLanguages, const FileLanguages& newLanguages);

// One run with every file.
RunPlan planSingleRun(std::string label, std::optional<std::string> languageKey, Markers markers,
                      std::vector<std::u16string> oldFiles, std::vector<std::u16string> newFiles);

// The markers of a table entry.
Markers languageMarkers(size_t language);

}  // namespace cvn::cli
