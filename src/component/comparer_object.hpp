#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/comparer_state.hpp"
#include "engine/variant.hpp"
#include "platform/work_pool.hpp"
#include "tree/directory_comparison.hpp"

namespace cvn {

// The methods that both comparer classes offer alike, and the object state
// they work on. Each object owns its state; objects share nothing. A failed
// call throws cvn::Error with its number; the state keeps what was written
// before the failure.
class ComparerObject {
 public:
  virtual ~ComparerObject() = default;

  // The chosen path, or "" when the user cancelled; the in/out arguments stay as they are.
  std::u16string SaveAFile(std::u16string& sInitDir, const std::u16string& sFileFilters,
                           std::u16string& sTitle, int32_t& lParentHwnd);
  std::u16string getFileList(const std::u16string& path);
  // Stores the settings, compares both lists with the class's own per-file work
  // and returns the statement list.
  std::u16string compareFileList(const std::u16string& strRootDirectoryOne,
                                 const std::u16string& strRootDirectoryTwo,
                                 const std::u16string& sourceOne, const std::u16string& sourceTwo,
                                 const std::u16string& commentChar, int16_t diffThershold,
                                 int16_t optThree, int32_t sessionID,
                                 const std::u16string& multiBegComm,
                                 const std::u16string& multiEndComm,
                                 const std::u16string& compareType);
  int16_t matchFiles(const std::u16string& rootDirectorySource,
                     const std::u16string& rootDirectoryCompare, const std::u16string& fileToMatch,
                     const std::u16string& matchAgainst);
  void insertDirCompareResults(Variant& a, Variant& b, Variant& c, Variant& d, Variant& e);
  int16_t checkFileExists(const std::u16string& filename);
  int16_t checkDirExists(const std::u16string& directory);
  // Asks for a path with this object's SaveAFile and writes the export there:
  // 1 when written, 0 when cancelled.
  int16_t exportFile(const std::u16string& topheader, const std::u16string& topcontents,
                     const std::u16string& fileheader, const std::u16string& filecontents);
  void scanDir(const std::u16string& strDir, const std::u16string& strFormat);

  // C++ only, not part of the dispatch interface: the object state (hosts set
  // the settings here to call the per-file methods without a directory
  // comparison first), the list behind getFileList, and progress reports.
  ComparerState& state() noexcept { return state_; }
  const ComparerState& state() const noexcept { return state_; }
  // Nothing when the folder does not exist.
  std::optional<std::vector<std::u16string>> listFiles(const std::u16string& path);
  void setProgressCallback(ProgressCallback callback) { progress_ = std::move(callback); }
  // The threads compareFileList reads and counts files on; without a pool of
  // its own, each call uses one thread per core. The results are the same.
  void setWorkPool(std::shared_ptr<WorkPool> pool) { pool_ = std::move(pool); }
  // How lines compare in the identical and similarity passes (default: as they are).
  void setLineFolding(LineFolding folding) { state_.folding = folding; }
  // compareFileList hands its statements to the sink as they are made and
  // returns an empty list, so a host that stores them need not hold them all.
  void setStatementSink(StatementSink sink) { sink_ = std::move(sink); }
  // Told after each compared pair's statement, on the thread that called
  // compareFileList: the name it stores and whether both files hold the same bytes.
  using PairObserver = std::function<void(const std::u16string& name, bool identical)>;
  void setPairObserver(PairObserver observer) { pairObserver_ = std::move(observer); }

 protected:
  ComparerObject() = default;
  virtual FileWork fileWork() = 0;

  ComparerState state_;

 private:
  ProgressCallback progress_;
  std::shared_ptr<WorkPool> pool_;
  StatementSink sink_;

 protected:
  PairObserver pairObserver_;
};

}  // namespace cvn
