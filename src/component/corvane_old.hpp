#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "component/comparer_settings.hpp"
#include "engine/string_array.hpp"
#include "engine/comparer_context.hpp"
#include "engine/variant.hpp"
#include "tree/directory_comparison.hpp"
#include "tree/file_list.hpp"

namespace cvn {

// The legacy comparer: the earlier pairing and counters and the shorter
// per-file statement, with object state of its own.
class Corvane_old {
 public:
  // The chosen path, or "" when the user cancelled; the in/out arguments stay as they are.
  std::u16string SaveAFile(std::u16string& sInitDir, const std::u16string& sFileFilters,
                           std::u16string& sTitle, int32_t& lParentHwnd);
  std::u16string getFileList(const std::u16string& path);
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
  // The eight-entry legacy report.
  std::u16string compareMatchedFiles(const std::u16string& strRootDir,
                                     const std::u16string& fileOne, const std::u16string& fileTwo);
  // The earlier changed-line test: 1 for a changed line, 0 otherwise.
  int16_t determineChangedLine(const std::u16string& string1, const std::u16string& string2,
                               int16_t diffThershold);
  void insertFileCompareResults(Variant& a, Variant& b, Variant& c, Variant& d, Variant& e,
                                Variant& f, Variant& g, Variant& h, Variant& i, Variant& k,
                                Variant& l);
  void insertDirCompareResults(Variant& a, Variant& b, Variant& c, Variant& d, Variant& e);
  int16_t checkFileExists(const std::u16string& filename);
  // Asks for a path with this object's SaveAFile and writes the export there:
  // 1 when written, 0 when cancelled.
  int16_t exportFile(const std::u16string& topheader, const std::u16string& topcontents,
                     const std::u16string& fileheader, const std::u16string& filecontents);
  int16_t checkDirExists(const std::u16string& directory);
  // Normalises every element of the caller's array (tabs removed, spaces trimmed).
  int32_t calBlankLines(StringArray& fileContentsOne);
  std::u16string physicalCountOnly(const std::u16string& strDirRoot,
                                   const std::u16string& fileToCount);
  void scanDir(const std::u16string& strDir, const std::u16string& strFormat);

  // C++ only, not part of the dispatch interface.
  void setSettings(const ComparerSettings& settings);
  ComparerSettings settings() const;
  const std::u16string& statementList() const noexcept { return strSQL; }
  const std::u16string& folderList() const noexcept { return strFolderList; }
  int32_t blankLinesInComments() const noexcept { return blankInMultiComm; }
  // The files getFileList would join, as a list; nothing when the folder does not exist.
  std::optional<std::vector<std::u16string>> listFiles(const std::u16string& path);
  // Reports progress during compareFileList; it changes no result.
  void setProgressCallback(ProgressCallback callback) { progress_ = std::move(callback); }

 private:
  ComparerContext context();
  ScanState scanState() { return {strFolderList, strScanRoot}; }

  int32_t sessionID = 0;
  std::u16string commentChar;
  std::u16string multiBegComm;
  std::u16string multiEndComm;
  int16_t diffThershold = 0;
  int16_t optThree = 0;
  std::u16string strSQL;
  std::u16string strFolderList;
  std::u16string strScanRoot;
  int32_t blankInMultiComm = 0;

  ProgressCallback progress_;
};

}  // namespace cvn
