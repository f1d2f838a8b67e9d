#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "compare/run_plan.hpp"
#include "component/comparer_object.hpp"
#include "engine/line_folding.hpp"
#include "platform/work_pool.hpp"
#include "tree/directory_comparison.hpp"

namespace cvn::cli {

// The settings every run of one command shares.
struct ComparisonSettings {
  std::u16string oldRoot;  // absolute and normal, no trailing separator
  std::u16string newRoot;
  int16_t threshold = 10;
  std::u16string compareType = u"2";
  bool legacy = false;
  LineFolding folding;
  std::shared_ptr<WorkPool> pool;  // shared by the runs, which may run at the same time
};

// One run: compareFileList on a fresh object of the chosen class, on the settings' pool,
// which reports its progress to the callback (that may throw to stop it) and hands its
// statements to the sink as they are made. Component failures pass through as cvn::Error.
void runComparison(const ComparisonSettings& settings, const PlannedRun& run, int32_t sessionId,
                   const ProgressCallback& progress, const StatementSink& sink,
                   const ComparerObject::PairObserver& pairs = {});

}  // namespace cvn::cli
