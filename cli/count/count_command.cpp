#include "count/count_command.hpp"

#include <fmt/format.h>
#include <CLI/CLI.hpp>

#include "app/failure.hpp"
#include "compare/filter_options.hpp"
#include "count/count_paths.hpp"
#include "count/count_report.hpp"
#include "languages/language_table.hpp"
#include "output/standard_output.hpp"

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

class CountCommand final : public Command {
 public:
  std::string_view name() const override { return "count"; }
  std::string_view description() const override {
    return "Count the total, comment, blank and code lines of files and folders, by language";
  }
  void addOptions(CLI::App& subcommand) override;
  void run() override;

 private:
  std::vector<std::string> paths_;
  std::string lang_;
  std::vector<std::string> langFor_;
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

void CountCommand::run() {
  CountRequest request;
  request.paths = paths_;
  if (given(langOption_)) {
    request.language = findLanguage(lang_);
    if (!request.language) {
      throw CommandError(
          fmt::format("--lang: no language \"{}\" (cvn count --help lists them)", lang_));
    }
  }
  if (given(commentOption_)) request.comment = comment_;
  if (given(beginOption_)) request.begin = begin_;
  if (given(endOption_)) request.end = end_;
  for (const std::string& text : langFor_) {
    request.overrides.push_back(parseLanguageOverride(text));
  }
  request.filter = filterOptions_.filter();
  const CountReport report = countPaths(request);
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
