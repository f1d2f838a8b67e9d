#pragma once

#include <cstdint>
#include <string>

#include "compare/run_plan.hpp"
#include "tree/directory_comparison.hpp"

namespace cvn::cli {

// The settings every run of one command shares.
struct ComparisonSettings {
  std::u16string oldRoot;  // absolute and normal, no trailing separator
  std::u16string newRoot;
  int16_t threshold = 10;
  std::u16string compareType = u"2";
  bool legacy = false;
};

// The statement list of one run: compareFileList on a fresh object of the chosen class,
// which reports its progress to the callback (that may throw to stop it). Component
// failures pass through as cvn::Error.
std::u16string runComparison(const ComparisonSettings& settings, const PlannedRun& run,
                             int32_t sessionId, const ProgressCallback& progress = {});

}  // namespace cvn::cli
