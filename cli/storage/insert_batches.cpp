#include "storage/insert_batches.hpp"

#include <utility>

namespace cvn::cli {
namespace {

constexpr std::string_view kInsert = "insert into ";
constexpr std::string_view kValues = " values (";

// Where the row of a single-row insert starts, or npos for any other statement. The head
// holds no quote, so the first " values (" is the one that ends it, whatever the row holds.
size_t rowStart(std::string_view statement) {
  if (!statement.starts_with(kInsert) || !statement.ends_with(')')) return std::string_view::npos;
  const size_t values = statement.find(kValues);
  if (values == std::string_view::npos ||
      statement.substr(0, values).find('\'') != std::string_view::npos) {
    return std::string_view::npos;
  }
  return values + kValues.size() - 1;
}

}  // namespace

InsertBatches::InsertBatches(Execute execute, size_t maxRows)
    : execute_(std::move(execute)), maxRows_(maxRows) {}

void InsertBatches::add(std::string_view statement) {
  const size_t row = rowStart(statement);
  if (row == std::string_view::npos) {
    flush();
    execute_(statement);
    return;
  }
  const std::string_view head = statement.substr(0, row);
  if (rows_ > 0 && (head != head_ || rows_ == maxRows_)) flush();
  if (rows_ == 0) {
    head_ = head;
    batch_ = head;
  } else {
    batch_ += ',';
  }
  batch_ += statement.substr(row);
  ++rows_;
}

void InsertBatches::flush() {
  if (rows_ == 0) return;
  rows_ = 0;
  execute_(batch_);
}

}  // namespace cvn::cli
