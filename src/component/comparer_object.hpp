#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "component/comparer_settings.hpp"
#include "engine/comparer_context.hpp"
#include "engine/variant.hpp"
#include "tree/directory_comparison.hpp"
#include "tree/file_list.hpp"

namespace cvn {

// The object state and the methods that both comparer classes offer alike.
// Each object owns its settings, statement list and scan fields; objects share
// nothing. A failed call throws cvn::Error with its number; fields keep what
// was written before the failure.
class ComparerObject {
 public:
  // The chosen path, or "" when the user cancelled; the in/out arguments stay as they are.
  std::u16string SaveAFile(std::u16string& sInitDir, const std::u16string& sFileFilters,
                           std::u16string& sTitle, int32_t& lParentHwnd);
  std::u16string getFileList(const std::u16string& path);
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

  // C++ only, not part of the dispatch interface.
  void setSettings(const ComparerSettings& settings);
  ComparerSettings settings() const;
  const std::u16string& statementList() const noexcept { return strSQL; }
  const std::u16string& folderList() const noexcept { return strFolderList; }
  // The files getFileList would join, as a list; nothing when the folder does not exist.
  std::optional<std::vector<std::u16string>> listFiles(const std::u16string& path);
  // Reports progress during compareFileList; it changes no result.
  void setProgressCallback(ProgressCallback callback) { progress_ = std::move(callback); }

 protected:
  ComparerObject() = default;

  ComparerContext context() {
    return {sessionID, commentChar, multiBegComm, multiEndComm, diffThershold, strSQL};
  }
  ScanState scanState() { return {strFolderList, strScanRoot}; }
  // compareFileList with the class's own per-file work.
  std::u16string compareFileListWith(const DirectoryComparisonArgs& args, const FileWork& work);

  int32_t sessionID = 0;
  std::u16string commentChar;
  std::u16string multiBegComm;
  std::u16string multiEndComm;
  int16_t diffThershold = 0;
  int16_t optThree = 0;
  std::u16string strSQL;
  std::u16string strFolderList;
  std::u16string strScanRoot;

 private:
  ProgressCallback progress_;
};

}  // namespace cvn
