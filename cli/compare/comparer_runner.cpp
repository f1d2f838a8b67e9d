#include "compare/comparer_runner.hpp"

#include "compare/tree_listing.hpp"
#include "component/corvane.hpp"
#include "component/corvane_old.hpp"

namespace cvn::cli {
namespace {

// Both classes share compareFileList's signature; each run gets a fresh object.
template <typename Comparer>
void compareWith(const ComparisonSettings& settings, const PlannedRun& run, int32_t sessionId,
                 const ProgressCallback& progress, const StatementSink& sink,
                 const ComparerObject::PairObserver& pairs) {
  Comparer comparer;
  comparer.setPairObserver(pairs);
  if (progress) comparer.setProgressCallback(progress);
  if (settings.pool) comparer.setWorkPool(settings.pool);
  comparer.setLineFolding(settings.folding);
  comparer.setStatementSink(sink);
  comparer.compareFileList(settings.oldRoot, settings.newRoot, joinFileList(run.oldFiles),
                           joinFileList(run.newFiles), run.markers.comment, settings.threshold, 0,
                           sessionId, run.markers.begin, run.markers.end, settings.compareType);
}

}  // namespace

void runComparison(const ComparisonSettings& settings, const PlannedRun& run, int32_t sessionId,
                   const ProgressCallback& progress, const StatementSink& sink,
                   const ComparerObject::PairObserver& pairs) {
  if (settings.legacy) {
    compareWith<Corvane_old>(settings, run, sessionId, progress, sink, pairs);
  } else {
    compareWith<Corvane>(settings, run, sessionId, progress, sink, pairs);
  }
}

}  // namespace cvn::cli
