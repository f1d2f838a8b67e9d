#include "compare/sql_script.hpp"

#include <fmt/format.h>

#include "storage/schema.hpp"

namespace cvn::cli {
namespace {

std::string literal(const std::optional<std::string>& text) {
  return text ? sqlLiteral(*text) : "NULL";
}

}  // namespace

std::string sqlLiteral(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) {
    quoted += c;
    if (c == '\'') quoted += c;
  }
  return quoted + "'";
}

SqlScript::SqlScript() {
  // The table definitions hold no blank line: each statement is joined onto one line.
  std::string_view tables = kCreateTables;
  std::string statement;
  while (!tables.empty()) {
    const size_t end = tables.find('\n');
    std::string_view line = tables.substr(0, end);
    tables.remove_prefix(end == std::string_view::npos ? tables.size() : end + 1);
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    if (line.empty()) continue;
    if (!statement.empty()) statement += ' ';
    statement += line;
    if (statement.back() == ';') {
      text_ += statement + "\n";
      statement.clear();
    }
  }
  text_ += "BEGIN;\n";
}

void SqlScript::addStatements(std::string_view statements) {
  forEachStatement(statements, [this](std::string_view statement) {
    text_ += statement;
    text_ += ";\n";
  });
}

void SqlScript::addRun(const RunRecord& run) {
  text_ += fmt::format(
      "INSERT INTO cvn_runs (sessionid, oldroot, newroot, language, commentchar, multibegcomm, "
      "multiendcomm, threshold, comparetype, comparer, started, gitrepo, oldrev, newrev, "
      "ignorewhitespace, ignorecase, renames) VALUES ({}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, "
      "{}, {}, {}, {}, {}, {});\n",
      run.sessionId, sqlLiteral(run.oldRoot), sqlLiteral(run.newRoot), literal(run.language),
      sqlLiteral(run.commentChar), sqlLiteral(run.multiBegComm), sqlLiteral(run.multiEndComm),
      run.threshold, sqlLiteral(run.compareType), sqlLiteral(run.legacy ? "legacy" : "current"),
      sqlLiteral(run.started), literal(run.gitRepo), literal(run.oldRevision),
      literal(run.newRevision), int{run.ignoreWhitespace}, int{run.ignoreCase},
      run.renames ? std::to_string(*run.renames) : "NULL");
}

void SqlScript::addRename(const RenameRecord& rename) {
  text_ += fmt::format(
      "INSERT INTO cvn_renames (sessionid, oldpath, newpath, similarity) VALUES ({}, {}, {}, "
      "{});\n",
      rename.sessionId, sqlLiteral(rename.oldPath), sqlLiteral(rename.newPath), rename.similarity);
}

std::string SqlScript::finish() {
  text_ += "COMMIT;\n";
  return std::move(text_);
}

}  // namespace cvn::cli
