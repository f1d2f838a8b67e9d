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
  // Not required as such: --git takes their place.
  oldOption = app.add_option("old", oldRoot, "Folder of the old version")->type_name("FOLDER");
  newOption = app.add_option("new", newRoot, "Folder of the new version")->type_name("FOLDER");
  gitOption = app.add_option("--git", git,
                             "Compare two revisions of a git repository instead of two folders")
                  ->expected(3)
                  ->option_text("REPO REV1 REV2")
                  ->excludes(oldOption)
                  ->excludes(newOption);
  dbOption =
      app.add_option(
             "--db", db,
             "Where the results go: a SQLite file (default: cvn.db), or a PostgreSQL database as a "
             "postgresql:// URI or a libpq \"key=value ...\" string")
          ->type_name("FILE|URI");
  langOption =
      app.add_option("--lang", lang,
                     fmt::format("Compare every file with one language's markers; one of: {}",
                                 languageKeys()))
          ->type_name("KEY");
  CLI::Option* langForOption =
      app.add_option("--lang-for", langFor,
                     "Compare files ending in .EXT as language KEY, over the table (repeatable)")
          ->allow_extra_args(false)
          ->type_name("EXT=KEY")
          ->excludes(langOption);
  commentOption =
      app.add_option("--comment", comment, "Single-line comment marker")->type_name("MARKER");
  beginOption = app.add_option("--begin", begin, "Marker that opens a multi-line comment")
                    ->type_name("MARKER");
  endOption =
      app.add_option("--end", end, "Marker that closes a multi-line comment")->type_name("MARKER");
  app.add_option(
         "--threshold", threshold,
         "Two lines are a changed version of each other when their character counts "
         "differ by at most this many characters (at most 32767; below 0 none is; default: 10)")
      ->type_name("CHARS");
  // Markers given by hand count every file alike.
  langForOption->excludes(commentOption)->excludes(beginOption)->excludes(endOption);
  app.add_option("--type", type,
                 "1 counts the lines of the files in both versions, 2 also compares them "
                 "(default: 2)")
      ->check(CLI::IsMember({"1", "2"}))
      ->type_name("1|2");
  sessionOption = app.add_option("--session", session,
                                 "First session id, 1 to 2147483647 (default: one more than the "
                                 "largest stored)")
                      ->type_name("ID");
  filter.addTo(app)->excludes(gitOption);
  app.add_option("--busy-timeout", busyTimeout,
                 "Seconds to wait while another program writes the database (default: 30)")
      ->check(CLI::Range(0u, 86400u))
      ->type_name("SECONDS");
  app.add_option("-j,--jobs", jobs, "Threads that read and compare files (default: one per core)")
      ->check(CLI::Range(1u, 1024u))
      ->type_name("N");
  app.add_flag("--ignore-whitespace", ignoreWhitespace,
               "Lines that differ only in spaces and tabs are the same (runs count as one space, "
               "none at either end)");
  app.add_flag("--ignore-case", ignoreCase,
               "Lines that differ only in the case of letters are the same");
  // A flag that may carry a value ("--renames=70"), so that it never takes the folder after
  // it; alone, CLI11 gives it the text "true".
  renamesOption = app.add_flag("--renames", renames,
                               "Pair deleted and new files of a language whose non-blank lines "
                               "are at least PERCENT% the same (default 50): compared as one "
                               "file, stored with the new name, listed in cvn_renames")
                      ->type_name("[=PERCENT]");
  app.add_flag("--legacy", legacy, "Compare with the legacy class Corvane_old");
  CLI::Option* sqlOption =
      app.add_flag("--sql", sql, "Print the statement list instead of storing it")
          ->excludes(dbOption);
  app.add_flag("--no-db", noDb, "Compare and print the summary; store nothing, create no file")
      ->excludes(dbOption)
      ->excludes(sqlOption);
  app.add_option("--format", format,
                 "Form of the summary: table (default), json or csv; or sql: instead of storing, "
                 "print a script that sqlite3 FILE or psql runs to store the same rows")
      ->check(CLI::IsMember({"table", "json", "csv", "sql"}))
      ->excludes(sqlOption);
  app.add_flag("--by-file", byFile,
               "List every file of both trees with its status and counts before the summary "
               "(with --format csv, the files alone)")
      ->excludes(sqlOption);
  reportOption =
      app.add_option("--report", report, "Also write the stored run as an HTML page to FILE")
          ->type_name("FILE");
  app.add_flag("--quiet", quiet, "Print neither the summary nor the progress display");
}

}  // namespace cvn::cli
