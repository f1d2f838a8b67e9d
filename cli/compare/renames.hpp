#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "compare/run_plan.hpp"
#include "platform/file_system.hpp"
#include "platform/work_pool.hpp"

namespace cvn::cli {

// A deleted file taken as renamed to a new file of the same run.
struct Rename {
  std::u16string oldFile;  // full paths
  std::u16string newFile;
  int similarity = 0;  // percent of the larger file's non-blank lines also in the other
};

// Pairs the run's deleted files (by path after the root, in the old list only) with its new
// files whose content is most alike: identical content, or at least minimum percent of the
// larger file's non-blank lines found in the other, each line once (lines compare by the
// identical pass's hash). A file pairs once: the most alike pairs first, identical content
// before all, ties to the pair with the same file name, then to the paths in byte order.
// Files are read on the pool, through the file system in use.
std::vector<Rename> findRenames(const PlannedRun& run, const std::u16string& oldRoot,
                                const std::u16string& newRoot, int minimum, WorkPool& pool);

// Renamed files under their new names in the old tree, so that the component pairs each with
// its new file and reports it by its new name. Installed as the file system, it reads such
// a file from its old place; everything else goes to the file system it replaced.
class RenamedFiles final : public FileSystem {
 public:
  explicit RenamedFiles(FileSystem& underneath) : underneath_(underneath) {}

  // Lists each old file under its new name in the run's old list, where it was.
  void add(PlannedRun& run, const std::u16string& oldRoot, const std::u16string& newRoot,
           const std::vector<Rename>& renames);

  TextLines readTextFile(const std::u16string& path) override;
  FolderListing listFolder(const std::u16string& path) override {
    return underneath_.listFolder(path);
  }
  bool fileExists(const std::u16string& path) override;
  bool folderExists(const std::u16string& path) override { return underneath_.folderExists(path); }

 private:
  FileSystem& underneath_;
  std::unordered_map<std::u16string, std::u16string> oldPlaces_;  // listed path -> real path
};

}  // namespace cvn::cli
