#pragma once

#include <array>
#include <string>
#include <string_view>

namespace cvn::cli {

// The tables every back end holds, created when missing. The statements of the component
// fill the two result tables; cvn_runs is the command's own record of each run.
extern const std::string_view kCreateTables;

// Columns of cvn_runs that an earlier cvn did not create: a database it made gets them with
// ALTER TABLE. They are nullable, so older rows stay valid.
struct AddedColumn {
  std::string_view name;
  std::string_view type;
};
inline constexpr std::array<AddedColumn, 7> kAddedRunColumns = {{
    {"gitrepo", "TEXT"},
    {"oldrev", "TEXT"},
    {"newrev", "TEXT"},
    {"ignorewhitespace", "INTEGER NOT NULL DEFAULT 0"},
    {"ignorecase", "INTEGER NOT NULL DEFAULT 0"},
    {"renames", "INTEGER"},
    {"run", "INTEGER"},
}};

// Indexes on the session and run columns, created when missing once the columns are there.
extern const std::string_view kCreateIndexes;

// The view of one row per stored file with plain names, after "CREATE VIEW IF NOT EXISTS"
// (SQLite) or "CREATE OR REPLACE VIEW" (PostgreSQL).
extern const std::string_view kFileChangesView;

// The start of the insert of a cvn_run row, its columns in RunHeader's order; the values
// follow.
extern const std::string_view kInsertRunHeader;

// One row, one column: the largest run id, NULL when there is none.
extern const std::string_view kLargestRunQuery;

// Calls each(statement) for every statement of a component's statement list ("|||" after
// each). Text values cannot hold "|||" (the component refuses them), so every cut is a
// statement boundary.
template <typename Each>
void forEachStatement(std::string_view statements, Each each) {
  constexpr std::string_view kSeparator = "|||";
  while (!statements.empty()) {
    const size_t cut = statements.find(kSeparator);
    each(statements.substr(0, cut));
    if (cut == std::string_view::npos) break;
    statements.remove_prefix(cut + kSeparator.size());
  }
}

// One row, one column: the largest session id of the three tables, NULL when they are empty.
extern const std::string_view kLargestSessionQuery;

// One row, one column: the smallest session id from the first to the last parameter that a
// table holds, NULL when none does. first and last are the placeholders ("?1", "$1").
std::string heldSessionQuery(std::string_view first, std::string_view last);

}  // namespace cvn::cli
