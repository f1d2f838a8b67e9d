#pragma once

#include <string>
#include <string_view>

#include "storage/storage.hpp"

namespace cvn::cli {

// A run as a script that sqlite3 and psql take as it is: the tables that may be missing,
// then one statement a line, each ending in ";", in one transaction.
class SqlScript {
 public:
  SqlScript();

  // A statement list of the component ("|||" after each statement).
  void addStatements(std::string_view statements);
  // The run takes the next free id of the database the script runs in; the sessions and
  // renames added after it belong to it.
  void addRunHeader(const RunHeader& run);
  void addRun(const RunRecord& run);
  void addRename(const RenameRecord& rename);
  void addFileStatus(const FileStatusRecord& file);
  // The whole script, its transaction closed.
  std::string finish();

 private:
  std::string text_;
};

// A value as SQL text: quoted with its quotes doubled, or NULL.
std::string sqlLiteral(std::string_view text);

}  // namespace cvn::cli
