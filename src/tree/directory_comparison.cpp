#include "tree/directory_comparison.hpp"

#include <algorithm>

#include <array>
#include <unordered_map>
#include <unordered_set>

#include "engine/statements.hpp"
#include "engine/variant.hpp"
#include "platform/checked.hpp"
#include "platform/error.hpp"
#include "tree/file_mask.hpp"
#include "tree/file_matching.hpp"

namespace cvn {

std::vector<std::u16string> splitFileList(const std::u16string& list) {
  std::vector<std::u16string> entries;
  if (list.empty()) return entries;
  size_t start = 0;
  for (;;) {
    const size_t separator = list.find(u"||", start);
    if (separator == std::u16string::npos) {
      entries.push_back(list.substr(start));
      break;
    }
    entries.push_back(list.substr(start, separator - start));
    start = separator + 2;
  }
  if (entries.size() > static_cast<size_t>(INT32_MAX)) raise(kOverflow);
  return entries;
}

std::u16string normalizeRoot(const std::u16string& root) {
  // The mask scan counts in 16 bits here.
  if (root.size() > 32767) raise(kOverflow);
  return withTrailingSeparator(stripFileMask(root).directory);
}

// Statements go to a sink in pieces of about this many characters.
constexpr size_t kSinkPiece = size_t{1} << 16;

std::u16string compareFileList(ComparerState& state, const DirectoryComparisonArgs& args,
                               const FileWork& work, WorkPool& pool,
                               const ProgressCallback& progress, const StatementSink& sink) {
  state.sessionID = args.sessionID;
  state.commentChar = args.commentChar;
  state.optThree = args.optThree;
  state.diffThershold = args.diffThershold;
  state.multiBegComm = args.multiBegComm;
  state.multiEndComm = args.multiEndComm;
  state.strSQL.clear();

  const std::vector<std::u16string> oldList = splitFileList(args.sourceOne);
  const std::vector<std::u16string> newList = splitFileList(args.sourceTwo);
  const std::u16string oldRoot = normalizeRoot(args.strRootDirectoryOne);
  const std::u16string newRoot = normalizeRoot(args.strRootDirectoryTwo);
  const bool countOnly = args.compareType == u"1";
  const bool full = args.compareType == u"2";

  // The first new entry of each relative path: the match that a search of the
  // list in order finds first.
  std::unordered_map<std::u16string_view, size_t> firstNew;
  firstNew.reserve(newList.size());
  for (size_t j = 0; j < newList.size(); ++j)
    firstNew.try_emplace(relativePath(newList[j], newRoot), j);

  // Every entry of both lists in the order of a run of one file after another,
  // with its work, if any.
  enum class Kind : uint8_t { None, Compare, CountMatched, CountDeleted, CountNew };
  struct Step {
    const std::u16string* root;
    const std::u16string* file;
    const std::u16string* match;
    Kind kind;
    bool shown;  // in the progress, which counts each pair and single file once
  };
  const bool secondPass = full && work.countNew;
  std::vector<Step> steps;
  steps.reserve(oldList.size() + (secondPass ? newList.size() : 0));
  int32_t sameFiles = 0;
  int32_t deletedFiles = 0;
  for (const std::u16string& oldEntry : oldList) {
    const auto match = firstNew.find(relativePath(oldEntry, oldRoot));
    Kind kind = Kind::None;
    const std::u16string* counterpart = nullptr;
    if (match != firstNew.end()) {
      checkedIncrement(sameFiles);
      counterpart = &newList[match->second];
      if (countOnly && work.countMatched) {
        kind = Kind::CountMatched;
      } else if (full && work.compareMatched) {
        kind = Kind::Compare;
      }
    } else {
      checkedIncrement(deletedFiles);
      if (full && work.countDeleted) kind = Kind::CountDeleted;
    }
    steps.push_back({&oldRoot, &oldEntry, counterpart, kind, true});
  }
  const int32_t newFiles = checkedSub(static_cast<int32_t>(newList.size()), sameFiles);
  if (secondPass) {
    std::unordered_set<std::u16string_view> oldPaths;
    oldPaths.reserve(oldList.size());
    for (const std::u16string& oldEntry : oldList) oldPaths.insert(relativePath(oldEntry, oldRoot));
    for (const std::u16string& newEntry : newList) {
      const bool added = !oldPaths.contains(relativePath(newEntry, newRoot));
      steps.push_back({&newRoot, &newEntry, nullptr, added ? Kind::CountNew : Kind::None, added});
    }
  }

  const auto total = static_cast<int64_t>(
      std::count_if(steps.begin(), steps.end(), [](const Step& step) { return step.shown; }));
  int64_t shown = 0;
  const auto handOver = [&] {
    sink(state.strSQL);
    state.strSQL.clear();
  };
  pool.forEachInOrder(
      steps.size(),
      [&](size_t k) -> FileFinish {
        const Step& step = steps[k];
        switch (step.kind) {
          case Kind::Compare:
            return work.compareMatched(*step.root, *step.file, *step.match);
          case Kind::CountMatched:
            return work.countMatched(*step.root, *step.file);
          case Kind::CountDeleted:
            return work.countDeleted(*step.root, *step.file);
          case Kind::CountNew:
            return work.countNew(*step.root, *step.file);
          case Kind::None:
            break;
        }
        return {};
      },
      [&](size_t k) {
        if (progress && steps[k].shown) progress(shown++, total, *steps[k].file);
        if (sink && state.strSQL.size() >= kSinkPiece) handOver();
      });
  if (progress) progress(total, total, u"");

  std::array<Variant, 5> values = {Variant(sameFiles), Variant(deletedFiles), Variant(newFiles),
                                   Variant(oldRoot), Variant(newRoot)};
  const std::array<Variant*, 5> pointers = {&values[0], &values[1], &values[2], &values[3],
                                            &values[4]};
  insertDirCompareResults(state.strSQL, state.sessionID, pointers);
  if (sink) handOver();
  return state.strSQL;
}

}  // namespace cvn
