#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/comparer_state.hpp"
#include "platform/work_pool.hpp"

namespace cvn {

// The arguments of compareFileList, in interface order.
struct DirectoryComparisonArgs {
  std::u16string strRootDirectoryOne;
  std::u16string strRootDirectoryTwo;
  std::u16string sourceOne;  // full paths joined by "||"
  std::u16string sourceTwo;
  std::u16string commentChar;
  int16_t diffThershold = 0;
  int16_t optThree = 0;
  int32_t sessionID = 0;
  std::u16string multiBegComm;
  std::u16string multiEndComm;
  std::u16string compareType;
};

// The per-file work of a comparer class; the driver is the same for both. Each
// step reads and counts its files on any thread, reading only the settings of
// the state, and returns what appends its statement, which the driver runs on
// its own thread in list order. An empty countDeleted or countNew means
// unmatched files are only counted.
using FileFinish = WorkPool::Finish;
struct FileWork {
  std::function<FileFinish(const std::u16string& root, const std::u16string& one,
                           const std::u16string& two)>
      compareMatched;
  std::function<FileFinish(const std::u16string& root, const std::u16string& file)> countMatched;
  std::function<FileFinish(const std::u16string& root, const std::u16string& file)> countDeleted;
  std::function<FileFinish(const std::u16string& root, const std::u16string& file)> countNew;
};

// Called before each file's work is finished with the files done so far and their total,
// where a pair of an old and a new file counts once.
using ProgressCallback =
    std::function<void(int64_t done, int64_t total, const std::u16string& file)>;

// Takes the statements from the list as they are made, a piece of whole
// statements at a time, on the thread that called compareFileList.
using StatementSink = std::function<void(std::u16string_view statements)>;

// compareFileList: stores the settings, pairs the files of both lists by
// relative path (first match in list order), has each pair compared or each
// file counted as compareType asks, appends the directory statement and
// returns the statement list. The files are read and counted on the pool's
// threads; the statements, the state and the first failure in list order are
// those of a run of one file after another. With a sink, the list is handed
// to it as it grows and is left empty.
std::u16string compareFileList(ComparerState& state, const DirectoryComparisonArgs& args,
                               const FileWork& work, WorkPool& pool,
                               const ProgressCallback& progress = {},
                               const StatementSink& sink = {});

// A list in comparison form cut at every "||"; "" gives no entries.
std::vector<std::u16string> splitFileList(const std::u16string& list);

// A root as the driver uses it: the folder of stripFileMask with a separator at the end.
std::u16string normalizeRoot(const std::u16string& root);

}  // namespace cvn
