#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "compare/run_plan.hpp"

namespace cvn::cli {

// The bytes of each run's files, so that a progress display advances by what is read rather
// than by files. Sizes come from the operating system; files it cannot tell about (revisions
// read from git) weigh nothing, and a run of such files shows its progress by files.
class RunBytes {
 public:
  RunBytes(const RunPlan& plan, std::u16string oldRoot, std::u16string newRoot);

  uint64_t total(size_t run) const { return totals_.at(run); }
  // What the component reads for the file it reports: an old file with its new counterpart,
  // or a file on one side only.
  uint64_t ofFile(const std::u16string& file) const;

 private:
  uint64_t sizeOf(const std::u16string& file) const;

  std::u16string oldRoot_;
  std::u16string newRoot_;
  std::unordered_map<std::u16string, uint64_t> sizes_;
  std::vector<uint64_t> totals_;
};

}  // namespace cvn::cli
