#include "count/count_command.hpp"

#include <fmt/format.h>
#include <CLI/CLI.hpp>

#include "app/failure.hpp"
#include "component/corvane.hpp"
#include "count/count_report.hpp"
#include "languages/language_table.hpp"
#include "output/standard_output.hpp"
#include "platform/utf.hpp"

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
    return "Count the total, comment, blank and code lines of one file";
  }
  void addOptions(CLI::App& subcommand) override;
  void run() override;

 private:
  // The language whose markers count the file, if any: --lang, else the file's name
  // unless markers were given by hand.
  std::optional<size_t> chooseLanguage() const;
  bool handMarkers() const {
    return given(commentOption_) || given(beginOption_) || given(endOption_);
  }

  std::string file_;
  std::string lang_;
  std::string comment_;
  std::string begin_;
  std::string end_;
  std::string format_ = "table";
  // Kept to tell an empty marker from one not given.
  CLI::Option* langOption_ = nullptr;
  CLI::Option* commentOption_ = nullptr;
  CLI::Option* beginOption_ = nullptr;
  CLI::Option* endOption_ = nullptr;
};

void CountCommand::addOptions(CLI::App& subcommand) {
  subcommand.add_option("file", file_, "File to count")->required();
  langOption_ = subcommand.add_option(
      "--lang", lang_,
      fmt::format("Count with one language's markers (default: the file name's); one of: {}",
                  languageKeys()));
  commentOption_ = subcommand.add_option("--comment", comment_, "Single-line comment marker");
  beginOption_ = subcommand.add_option("--begin", begin_, "Marker that opens a multi-line comment");
  endOption_ = subcommand.add_option("--end", end_, "Marker that closes a multi-line comment");
  subcommand.add_option("--format", format_, "table, json or csv (default: table)")
      ->check(CLI::IsMember({"table", "json", "csv"}));
}

std::optional<size_t> CountCommand::chooseLanguage() const {
  if (given(langOption_)) {
    const auto language = findLanguage(lang_);
    if (!language) {
      throw CommandError(
          fmt::format("--lang: no language \"{}\" (cvn count --help lists them)", lang_));
    }
    return language;
  }
  if (handMarkers()) return std::nullopt;
  const size_t slash = file_.find_last_of('/');
  const auto language =
      languageOfFileName(slash == std::string::npos ? file_ : file_.substr(slash + 1));
  // Counting with no markers would report every line as code: refuse rather than guess.
  if (!language) {
    throw CommandError(fmt::format(
        "{}: no known language; give --lang, or the markers with --comment, --begin and --end",
        file_));
  }
  return language;
}

void CountCommand::run() {
  const std::optional<size_t> language = chooseLanguage();
  Corvane counter;
  ComparerState& settings = counter.state();
  CountReport report;
  report.file = file_;
  report.languageLabel = "custom markers";
  if (language) {
    const Language& entry = languages()[*language];
    settings.commentChar = utf8ToUtf16(entry.comment);
    settings.multiBegComm = utf8ToUtf16(entry.begin);
    settings.multiEndComm = utf8ToUtf16(entry.end);
    report.languageKey = std::string(entry.key);
    report.languageLabel = std::string(entry.name);
  }
  // Markers given by hand replace the language's.
  if (given(commentOption_)) settings.commentChar = utf8ToUtf16(comment_);
  if (given(beginOption_)) settings.multiBegComm = utf8ToUtf16(begin_);
  if (given(endOption_)) settings.multiEndComm = utf8ToUtf16(end_);

  report.counts = counter.countFile(utf8ToUtf16(file_));

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
