#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace cvn::cli {

// Joins consecutive single-row "insert into T(columns) values (...)" statements with the
// same table and columns into one multi-row insert. The rows and their order stay the same,
// but the database parses and plans each batch once rather than each row: for SQLite that
// parse is most of the cost of storing a large tree. Any other statement passes unchanged,
// after the batch before it.
class InsertBatches {
 public:
  using Execute = std::function<void(std::string_view sql)>;

  explicit InsertBatches(Execute execute, size_t maxRows = 500);

  void add(std::string_view statement);
  // Runs what is still waiting; call it after the last statement.
  void flush();

 private:
  Execute execute_;
  size_t maxRows_;
  std::string head_;  // "insert into T(columns) values " of the batch
  std::string batch_;
  size_t rows_ = 0;
};

}  // namespace cvn::cli
