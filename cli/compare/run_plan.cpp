#include "compare/run_plan.hpp"

#include "platform/error.hpp"
#include "platform/file_system.hpp"
#include "platform/utf.hpp"

namespace cvn::cli {
namespace {

// Sorts a listing into one bucket per language, keeping its order; returns the files
// that no language claims.
std::vector<std::u16string> sortByLanguage(const std::vector<std::u16string>& files,
                                           std::vector<std::vector<std::u16string>>& buckets,
                                           const FileLanguages& languages) {
  std::vector<std::u16string> unknown;
  for (size_t k = 0; k < files.size(); ++k) {
    if (const auto language = languages.at(k)) {
      buckets[*language].push_back(files[k]);
    } else {
      unknown.push_back(files[k]);
    }
  }
  return unknown;
}

std::u16string fromUtf8(std::string_view text) {
  return utf8ToUtf16(text);
}

}  // namespace

std::optional<size_t> languageOfPath(const std::u16string& path,
                                     const LanguageOverrides& overrides) {
  const size_t slash = path.find_last_of(u'/');
  const std::string name =
      utf16ToUtf8(slash == std::u16string::npos ? std::u16string_view(path)
                                                : std::u16string_view(path).substr(slash + 1));
  if (const auto language = languageOfFileName(name, overrides)) return language;
  if (hasExtension(name)) return std::nullopt;
  try {
    return languageOfFirstLine(FileSystem::current().readFirstLine(path));
  } catch (const Error&) {
    // Unreadable, it is of no language, as it would be without its "#!" line.
    return std::nullopt;
  }
}

Markers languageMarkers(size_t language) {
  const Language& entry = languages()[language];
  return {fromUtf8(entry.comment), fromUtf8(entry.begin), fromUtf8(entry.end)};
}

FileLanguages languagesOf(const std::vector<std::u16string>& files,
                          const LanguageOverrides& overrides) {
  FileLanguages found;
  found.reserve(files.size());
  for (const std::u16string& file : files) found.push_back(languageOfPath(file, overrides));
  return found;
}

RunPlan planByLanguage(const std::vector<std::u16string>& oldFiles,
                       const std::vector<std::u16string>& newFiles,
                       const LanguageOverrides& overrides) {
  return planByLanguage(oldFiles, newFiles, languagesOf(oldFiles, overrides),
                        languagesOf(newFiles, overrides));
}

RunPlan planByLanguage(const std::vector<std::u16string>& oldFiles,
                       const std::vector<std::u16string>& newFiles,
                       const FileLanguages& oldLanguages, const FileLanguages& newLanguages) {
  const size_t count = languages().size();
  std::vector<std::vector<std::u16string>> oldBuckets(count);
  std::vector<std::vector<std::u16string>> newBuckets(count);
  RunPlan plan;
  plan.unknownOldFiles = sortByLanguage(oldFiles, oldBuckets, oldLanguages);
  plan.unknownNewFiles = sortByLanguage(newFiles, newBuckets, newLanguages);
  plan.unknownOld = static_cast<int64_t>(plan.unknownOldFiles.size());
  plan.unknownNew = static_cast<int64_t>(plan.unknownNewFiles.size());
  for (size_t k = 0; k < count; ++k) {
    if (oldBuckets[k].empty() && newBuckets[k].empty()) continue;
    const Language& entry = languages()[k];
    plan.runs.push_back({std::string(entry.name), std::string(entry.key), languageMarkers(k),
                         std::move(oldBuckets[k]), std::move(newBuckets[k])});
  }
  return plan;
}

RunPlan planSingleRun(std::string label, std::optional<std::string> languageKey, Markers markers,
                      std::vector<std::u16string> oldFiles, std::vector<std::u16string> newFiles) {
  RunPlan plan;
  plan.runs.push_back({std::move(label), std::move(languageKey), std::move(markers),
                       std::move(oldFiles), std::move(newFiles)});
  return plan;
}

}  // namespace cvn::cli
