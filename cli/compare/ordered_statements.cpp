#include "compare/ordered_statements.hpp"

#include "platform/utf.hpp"

namespace cvn::cli {

OrderedStatements::OrderedStatements(size_t runs, Output output)
    : output_(std::move(output)), waiting_(runs) {}

void OrderedStatements::add(size_t run, std::u16string_view statements) {
  std::string text = utf16ToUtf8(statements);
  const std::lock_guard lock(mutex_);
  if (run == current_) {
    output_(text);
  } else {
    waiting_.at(run) += text;
  }
}

void OrderedStatements::finish(size_t run, const std::function<void()>& then) {
  const std::lock_guard lock(mutex_);
  if (then) then();
  current_ = run + 1;
  if (current_ < waiting_.size()) {
    std::string held = std::move(waiting_[current_]);
    waiting_[current_] = {};
    if (!held.empty()) output_(held);
  }
}

}  // namespace cvn::cli
