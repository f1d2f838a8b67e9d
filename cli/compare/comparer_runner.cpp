#include "compare/comparer_runner.hpp"

#include "compare/tree_listing.hpp"
#include "component/corvane.hpp"
#include "component/corvane_old.hpp"

namespace cvn::cli {
namespace {

// Both classes share compareFileList's signature; each run gets a fresh object.
template <typename Comparer>
std::u16string compareWith(const ComparisonSettings& settings, const PlannedRun& run,
                           int32_t sessionId, const ProgressCallback& progress) {
  Comparer comparer;
  if (progress) comparer.setProgressCallback(progress);
  return comparer.compareFileList(settings.oldRoot, settings.newRoot, joinFileList(run.oldFiles),
                                  joinFileList(run.newFiles), run.markers.comment,
                                  settings.threshold, 0, sessionId, run.markers.begin,
                                  run.markers.end, settings.compareType);
}

}  // namespace

std::u16string runComparison(const ComparisonSettings& settings, const PlannedRun& run,
                             int32_t sessionId, const ProgressCallback& progress) {
  return settings.legacy ? compareWith<Corvane_old>(settings, run, sessionId, progress)
                         : compareWith<Corvane>(settings, run, sessionId, progress);
}

}  // namespace cvn::cli
