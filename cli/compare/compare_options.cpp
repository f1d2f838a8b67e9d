#include "compare/compare_options.hpp"

#include <fmt/format.h>
#include <CLI/CLI.hpp>

#include "languages/language_table.hpp"

namespace cvn::cli {
namespace {

std::string languageKeys() {
  std::string keys;
  for (const Language& language : languages()) {
    keys += keys.empty() ? "" : ", ";
    keys += language.key;
  }
  return keys;
}

}  // namespace

bool given(const CLI::Option* option) {
  return option != nullptr && option->count() > 0;
}

void CompareOptions::addTo(CLI::App& app) {
  app.add_option("old", oldRoot, "Folder of the old version")->required();
  app.add_option("new", newRoot, "Folder of the new version")->required();
  CLI::Option* dbOption =
      app.add_option("--db", db, "SQLite file that receives the results (default: cvn.db)");
  langOption = app.add_option(
      "--lang", lang,
      fmt::format("Compare every file with one language's markers; one of: {}", languageKeys()));
  commentOption = app.add_option("--comment", comment, "Single-line comment marker");
  beginOption = app.add_option("--begin", begin, "Marker that opens a multi-line comment");
  endOption = app.add_option("--end", end, "Marker that closes a multi-line comment");
  app.add_option("--threshold", threshold, "Changed-line threshold, 16-bit (default: 10)");
  app.add_option("--type", type, "1 counts matched files, 2 compares them (default: 2)");
  sessionOption = app.add_option(
      "--session", session, "First session id, 32-bit (default: one more than the largest stored)");
  app.add_flag("--legacy", legacy, "Compare with the legacy class Corvane_old");
  app.add_flag("--sql", sql, "Print the statement list instead of storing it")->excludes(dbOption);
}

}  // namespace cvn::cli
