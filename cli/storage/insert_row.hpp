#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace cvn::cli {

// A single-row "insert into T(columns) values (...)" whose values are plain literals: whole
// numbers that fit in 64 bits, quoted texts and NULL. A database can then prepare the head
// once and bind each row's values, rather than parse every row: for SQLite that parse is
// most of the cost of storing a large tree.
struct InsertRow {
  using Value = std::variant<std::monostate, int64_t, std::string>;  // NULL, number, text
  std::string_view head;  // "insert into T(columns) values "
  std::vector<Value> values;
};

// The row of a statement of that form, with each literal as SQL would read it; nothing for
// any other statement, which is then to be run as it is.
std::optional<InsertRow> parseInsertRow(std::string_view statement);

}  // namespace cvn::cli
