#include "tree/file_list.hpp"

#include <utility>

#include "engine/variant.hpp"
#include "platform/checked.hpp"
#include "platform/file_system.hpp"
#include "platform/upper_case.hpp"
#include "tree/file_mask.hpp"

namespace cvn {
namespace {

// Scans depth first in pre-order without recursion, so that no tree depth can
// exhaust the stack. Returns the folders in the order they were recorded, each
// with its files, so that no folder is read twice.
std::vector<FolderListing> scanFolders(ComparerState& state, const std::u16string& strDir,
                                       const std::u16string& strFormat) {
  FileSystem& fs = FileSystem::current();
  FolderListing root = fs.listFolder(strDir);
  const double format = Variant(strFormat).toDouble();

  std::vector<FolderListing> folders;
  // Subfolders still to visit, the next one on top.
  std::vector<std::u16string> pending;
  auto record = [&](FolderListing folder, const std::u16string& entry) {
    state.strFolderList += entry;
    state.strFolderList += u'\r';
    pending.insert(pending.end(), std::make_move_iterator(folder.subFolders.rbegin()),
                   std::make_move_iterator(folder.subFolders.rend()));
    folder.subFolders.clear();
    folders.push_back(std::move(folder));
  };
  const size_t cut = state.strScanRoot.size();
  const std::u16string rootEntry = format != 2              ? root.path
                                   : root.path.size() > cut ? root.path.substr(cut)
                                                            : std::u16string();
  record(std::move(root), rootEntry);
  while (!pending.empty()) {
    const std::u16string next = std::move(pending.back());
    pending.pop_back();
    FolderListing folder = fs.listFolder(next);
    const std::u16string entry = folder.path;
    record(std::move(folder), entry);
  }
  return folders;
}

bool selected(const std::u16string& path, const MaskedRoot& mask,
              const std::u16string& upperSuffix) {
  if (path.empty()) return false;
  if (mask.maskSuffix.empty() || mask.maskSuffix == u"*" || !mask.maskSeen) return true;
  if (path.size() < upperSuffix.size()) return false;
  for (size_t k = 0; k < upperSuffix.size(); ++k) {
    if (toUpperSimple(path[path.size() - upperSuffix.size() + k]) != upperSuffix[k]) return false;
  }
  return true;
}

}  // namespace

std::optional<std::vector<std::u16string>> listFiles(ComparerState& state,
                                                     const std::u16string& path) {
  state.strFolderList.clear();
  const MaskedRoot mask = stripFileMask(path);
  if (checkDirExists(mask.directory) == 0) return std::nullopt;
  state.strScanRoot = mask.directory;
  // The folder list is kept as a list too, so a folder whose name holds a
  // carriage return is still opened by its own path.
  std::vector<FolderListing> folders = scanFolders(state, state.strScanRoot, u"1");

  const std::u16string upperSuffix = toUpperSimple(mask.maskSuffix);
  std::vector<std::u16string> files;
  for (FolderListing& folder : folders) {
    for (std::u16string& file : folder.files) {
      // Paths are kept as they are: a name may end in a space.
      if (selected(file, mask, upperSuffix)) files.push_back(std::move(file));
    }
  }
  if (files.size() > static_cast<size_t>(INT32_MAX)) raise(kOverflow);
  return files;
}

std::u16string getFileList(ComparerState& state, const std::u16string& path) {
  const auto files = listFiles(state, path);
  if (!files) return u"1";
  std::u16string joined;
  for (size_t k = 0; k < files->size(); ++k) {
    if (k > 0) joined += u'\r';
    joined += (*files)[k];
  }
  return joined;
}

void scanDir(ComparerState& state, const std::u16string& strDir, const std::u16string& strFormat) {
  scanFolders(state, strDir, strFormat);
}

int16_t checkFileExists(const std::u16string& filename) {
  return FileSystem::current().fileExists(filename) ? 1 : 0;
}

int16_t checkDirExists(const std::u16string& directory) {
  return FileSystem::current().folderExists(directory) ? 1 : 0;
}

}  // namespace cvn
