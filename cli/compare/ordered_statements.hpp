#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace cvn::cli {

// The statements of runs compared side by side, passed on in plan order as they are
// made: the earliest unfinished run's go straight through, a later run's wait until
// the runs before it have finished. Safe to call from any thread.
class OrderedStatements {
 public:
  using Output = std::function<void(std::string_view statements)>;
  OrderedStatements(size_t runs, Output output);

  // Statements of a run, whole ones, as the component hands them over.
  void add(size_t run, std::u16string_view statements);
  // Ends a run, in plan order: then runs what else belongs to it (under the same lock
  // as the output) and lets the next run's statements through.
  void finish(size_t run, const std::function<void()>& then = {});

 private:
  std::mutex mutex_;
  Output output_;
  size_t current_ = 0;
  std::vector<std::string> waiting_;  // of the runs after current_
};

}  // namespace cvn::cli
