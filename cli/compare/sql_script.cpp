#include "compare/sql_script.hpp"

#include <fmt/format.h>

#include "storage/schema.hpp"

namespace cvn::cli {
namespace {

std::string literal(const std::optional<std::string>& text) {
  return text ? sqlLiteral(*text) : "NULL";
}

std::string literal(const std::optional<int>& number) {
  return number ? std::to_string(*number) : "NULL";
}

// The run the script adds, once its header is in.
constexpr std::string_view kThisRun = "(SELECT MAX(id) FROM cvn_run)";

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
  // The same definitions as the storages use, each statement joined onto one line. The
  // view is made anew, as only that form is the same in SQLite and PostgreSQL.
  const std::string definitions = std::string(kCreateTables) + std::string(kCreateIndexes) +
                                  "DROP VIEW IF EXISTS cvn_file_changes;\nCREATE VIEW" +
                                  std::string(kFileChangesView) + ";\n";
  std::string_view rest = definitions;
  std::string statement;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
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

void SqlScript::addRunHeader(const RunHeader& run) {
  std::string insert(kInsertRunHeader);
  for (char& c : insert) {
    if (c == '\n') c = ' ';
  }
  text_ += fmt::format(
      "{}SELECT COALESCE(MAX(id), 0) + 1, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {} "
      "FROM cvn_run;\n",
      insert.substr(1), sqlLiteral(run.started), sqlLiteral(run.oldRoot), sqlLiteral(run.newRoot),
      literal(run.gitRepo), literal(run.oldRevision), literal(run.newRevision),
      literal(run.oldCommit), literal(run.newCommit), sqlLiteral(run.legacy ? "legacy" : "current"),
      sqlLiteral(run.compareType), run.threshold, int{run.ignoreWhitespace}, int{run.ignoreCase},
      literal(run.renames));
}

void SqlScript::addRun(const RunRecord& run) {
  text_ += fmt::format(
      "INSERT INTO cvn_runs (sessionid, oldroot, newroot, language, commentchar, multibegcomm, "
      "multiendcomm, threshold, comparetype, comparer, started, gitrepo, oldrev, newrev, "
      "ignorewhitespace, ignorecase, renames, run) VALUES ({}, {}, {}, {}, {}, {}, {}, {}, {}, "
      "{}, {}, {}, {}, {}, {}, {}, {}, {});\n",
      run.sessionId, sqlLiteral(run.oldRoot), sqlLiteral(run.newRoot), literal(run.language),
      sqlLiteral(run.commentChar), sqlLiteral(run.multiBegComm), sqlLiteral(run.multiEndComm),
      run.threshold, sqlLiteral(run.compareType), sqlLiteral(run.legacy ? "legacy" : "current"),
      sqlLiteral(run.started), literal(run.gitRepo), literal(run.oldRevision),
      literal(run.newRevision), int{run.ignoreWhitespace}, int{run.ignoreCase},
      literal(run.renames), kThisRun);
}

void SqlScript::addRename(const RenameRecord& rename) {
  text_ += fmt::format(
      "INSERT INTO cvn_renames (run, sessionid, oldpath, newpath, similarity) VALUES ({}, {}, {}, "
      "{}, {});\n",
      kThisRun, rename.sessionId, sqlLiteral(rename.oldPath), sqlLiteral(rename.newPath),
      rename.similarity);
}

void SqlScript::addFileStatus(const FileStatusRecord& file) {
  text_ += fmt::format(
      "INSERT INTO cvn_files (run, sessionid, path, status, oldpath) VALUES ({}, {}, {}, {}, "
      "{});\n",
      kThisRun, file.sessionId, sqlLiteral(file.path), sqlLiteral(file.status),
      literal(file.oldPath));
}

std::string SqlScript::finish() {
  text_ += "COMMIT;\n";
  return std::move(text_);
}

}  // namespace cvn::cli
