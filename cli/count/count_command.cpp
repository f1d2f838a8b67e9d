#include "count/count_command.hpp"

#include <fmt/format.h>
#include <CLI/CLI.hpp>

#include <map>
#include <set>

#include "app/failure.hpp"
#include "app/paths.hpp"
#include "compare/filter_options.hpp"
#include "compare/run_plan.hpp"
#include "compare/tree_listing.hpp"
#include "component/corvane.hpp"
#include "count/count_report.hpp"
#include "languages/language_table.hpp"
#include "output/standard_output.hpp"
#include "platform/error.hpp"
#include "platform/file_system.hpp"
#include "platform/utf.hpp"
#include "platform/work_pool.hpp"

namespace cvn::cli {
namespace {

bool given(const CLI::Option* option) {
  return option != nullptr && option->count() > 0;
}

std::string languageKeys() {
  std::string keys;
  for (const Language& language : languages()) {
    keys += keys.empty() ? "" : ", ";
    keys += language.key;
  }
  return keys;
}

// The group of the custom markers, after every language of the table.
const size_t kCustomMarkers = languages().size();

class CountCommand final : public Command {
 public:
  std::string_view name() const override { return "count"; }
  std::string_view description() const override {
    return "Count the total, comment, blank and code lines of files and folders, by language";
  }
  void addOptions(CLI::App& subcommand) override;
  void run() override;

 private:
  struct File {
    std::u16string path;
    size_t group;  // a language of the table, or kCustomMarkers
  };

  // The one group of every file when --lang or markers were given.
  std::optional<size_t> forcedGroup() const;
  // Adds a file or the files of a folder (those of no language are left out and counted),
  // each file once however often it is named.
  void addPath(const std::string& typed, std::optional<size_t> forced, std::vector<File>& files,
               std::set<std::u16string>& seen, int64_t& unknown) const;
  // A counter with the markers of a group.
  std::unique_ptr<Corvane> counterFor(size_t group) const;

  std::vector<std::string> paths_;
  std::string lang_;
  std::vector<std::string> langFor_;
  LanguageOverrides overrides_;
  std::string comment_;
  std::string begin_;
  std::string end_;
  FilterOptions filterOptions_;
  std::string format_ = "table";
  // Kept to tell an empty marker from one not given.
  CLI::Option* langOption_ = nullptr;
  CLI::Option* commentOption_ = nullptr;
  CLI::Option* beginOption_ = nullptr;
  CLI::Option* endOption_ = nullptr;
};

void CountCommand::addOptions(CLI::App& subcommand) {
  subcommand.add_option("path", paths_, "Files and folders to count")->required();
  langOption_ = subcommand.add_option(
      "--lang", lang_,
      fmt::format("Count every file with one language's markers (default: each file's own "
                  "language; a folder's files of none are left out); one of: {}",
                  languageKeys()));
  CLI::Option* langFor =
      subcommand
          .add_option("--lang-for", langFor_,
                      "Count files ending in .EXT as language KEY, over the table (repeatable)")
          ->allow_extra_args(false)
          ->type_name("EXT=KEY")
          ->excludes(langOption_);
  commentOption_ = subcommand.add_option("--comment", comment_, "Single-line comment marker");
  beginOption_ = subcommand.add_option("--begin", begin_, "Marker that opens a multi-line comment");
  endOption_ = subcommand.add_option("--end", end_, "Marker that closes a multi-line comment");
  // Markers given by hand count every file alike.
  langFor->excludes(commentOption_)->excludes(beginOption_)->excludes(endOption_);
  filterOptions_.addTo(subcommand);
  subcommand.add_option("--format", format_, "table, json or csv (default: table)")
      ->check(CLI::IsMember({"table", "json", "csv"}));
}

std::optional<size_t> CountCommand::forcedGroup() const {
  if (given(langOption_)) {
    const auto language = findLanguage(lang_);
    if (!language) {
      throw CommandError(
          fmt::format("--lang: no language \"{}\" (cvn count --help lists them)", lang_));
    }
    return language;
  }
  if (given(commentOption_) || given(beginOption_) || given(endOption_)) return kCustomMarkers;
  return std::nullopt;
}

void CountCommand::addPath(const std::string& typed, std::optional<size_t> forced,
                           std::vector<File>& files, std::set<std::u16string>& seen,
                           int64_t& unknown) const {
  if (typed.empty()) raise(kFileNotFound, "\"\"");
  FileSystem& fs = FileSystem::current();
  std::u16string path = utf8ToUtf16(normalRoot(typed));
  if (fs.folderExists(path)) {
    for (std::u16string& file : listTree(path, filterOptions_.filter())) {
      if (seen.contains(file)) continue;
      const auto group = forced ? forced : languageOfPath(file, overrides_);
      if (!group) {
        ++unknown;
        continue;
      }
      seen.insert(file);
      files.push_back({std::move(file), *group});
    }
    return;
  }
  if (seen.contains(path)) return;
  const auto group = forced ? forced : languageOfPath(path, overrides_);
  if (!group) {
    // A file that is not there fails as reading it does.
    if (!fs.fileExists(path)) fs.readFirstLine(path);
    // Counting with no markers would report every line as code: refuse rather than guess.
    throw CommandError(fmt::format(
        "{}: no known language; give --lang, or the markers with --comment, --begin and --end",
        typed));
  }
  seen.insert(path);
  files.push_back({std::move(path), *group});
}

std::unique_ptr<Corvane> CountCommand::counterFor(size_t group) const {
  auto counter = std::make_unique<Corvane>();
  ComparerState& settings = counter->state();
  if (group != kCustomMarkers) {
    const Language& entry = languages()[group];
    settings.commentChar = utf8ToUtf16(entry.comment);
    settings.multiBegComm = utf8ToUtf16(entry.begin);
    settings.multiEndComm = utf8ToUtf16(entry.end);
  }
  // Markers given by hand replace the language's.
  if (given(commentOption_)) settings.commentChar = utf8ToUtf16(comment_);
  if (given(beginOption_)) settings.multiBegComm = utf8ToUtf16(begin_);
  if (given(endOption_)) settings.multiEndComm = utf8ToUtf16(end_);
  return counter;
}

void CountCommand::run() {
  for (const std::string& text : langFor_) overrides_.push_back(parseLanguageOverride(text));
  const std::optional<size_t> forced = forcedGroup();
  std::vector<File> files;
  std::set<std::u16string> seen;
  int64_t unknown = 0;
  for (const std::string& path : paths_) addPath(path, forced, files, seen, unknown);

  std::map<size_t, std::unique_ptr<Corvane>> counters;  // in table order
  for (const File& file : files) {
    if (!counters.contains(file.group)) counters[file.group] = counterFor(file.group);
  }
  // The files are counted on every core, and summed in order; the first failure stops.
  std::map<size_t, CountRow> rows;
  WorkPool pool;
  pool.forEachInOrder(files.size(), [&](size_t k) -> WorkPool::Finish {
    const PhysicalCounts counts = counters.at(files[k].group)->countFile(files[k].path);
    return [&rows, group = files[k].group, counts] { rows[group].add(counts); };
  });

  CountReport report;
  report.total.label = "total";
  report.unknownFiles = unknown;
  for (auto& [group, row] : rows) {
    if (group == kCustomMarkers) {
      row.label = "custom markers";
    } else {
      row.label = std::string(languages()[group].name);
      row.key = std::string(languages()[group].key);
    }
    report.total.add(row);
    report.rows.push_back(std::move(row));
  }
  if (format_ == "json") {
    writeStandardOutput(renderCountJson(report));
  } else if (format_ == "csv") {
    writeStandardOutput(renderCountCsv(report));
  } else {
    writeStandardOutput(renderCountTable(report));
  }
}

}  // namespace

std::unique_ptr<Command> makeCountCommand() {
  return std::make_unique<CountCommand>();
}

}  // namespace cvn::cli
