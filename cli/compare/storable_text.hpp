#pragma once

#include <vector>

#include "compare/comparer_runner.hpp"
#include "compare/run_plan.hpp"
#include "storage/storage.hpp"

namespace cvn::cli {

// For a storage that keeps text only as UTF-8: fails with a StorageError naming the first
// root, file or run value whose bytes are not UTF-8, before anything is compared or stored.
void checkStorable(const Storage& storage, const ComparisonSettings& settings, const RunPlan& plan,
                   const std::vector<RunRecord>& records);

}  // namespace cvn::cli
