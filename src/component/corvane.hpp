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
#include "tree/physical_count.hpp"

namespace cvn {

// The current comparer. Each object owns its settings, its statement list and
// its scan fields; objects share nothing. A failed call throws cvn::Error with
// its number; fields keep what was written before the failure.
class Corvane {
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
  std::u16string compareMatchedFiles(const std::u16string& strRootDir,
                                     const std::u16string& fileOne, const std::u16string& fileTwo);
  int16_t determineChangedLine(const std::u16string& string1, const std::u16string& string2,
                               int16_t diffThershold);
  int16_t determineChangedLine_old(const std::u16string& string1, const std::u16string& string2,
                                   int16_t diffThershold);
  int32_t calBlankLines(StringArray& fileContentsOne);
  void insertFileCompareResults(Variant& a, Variant& b, Variant& c, Variant& d, Variant& e,
                                Variant& f, Variant& g, Variant& h, Variant& i, Variant& k,
                                Variant& l, Variant& a1, Variant& a2, Variant& b1, Variant& b2,
                                Variant& c1, Variant& c2, Variant& d1, Variant& d2);
  void insertDirCompareResults(Variant& a, Variant& b, Variant& c, Variant& d, Variant& e);
  int16_t checkFileExists(const std::u16string& filename);
  // Asks for a path with this object's SaveAFile and writes the export there:
  // 1 when written, 0 when cancelled.
  int16_t exportFile(const std::u16string& topheader, const std::u16string& topcontents,
                     const std::u16string& fileheader, const std::u16string& filecontents);
  int16_t checkDirExists(const std::u16string& directory);
  std::u16string physicalCountOnly(const std::u16string& strDirRoot,
                                   const std::u16string& fileToCount, int16_t& ifileType);
  void scanDir(const std::u16string& strDir, const std::u16string& strFormat);

  // C++ only, not part of the dispatch interface.
  void setSettings(const ComparerSettings& settings);
  ComparerSettings settings() const;
  const std::u16string& statementList() const noexcept { return strSQL; }
  const std::u16string& folderList() const noexcept { return strFolderList; }
  // The files getFileList would join, as a list; nothing when the folder does not exist.
  std::optional<std::vector<std::u16string>> listFiles(const std::u16string& path);
  // The physical count of one file with the object's markers.
  PhysicalCounts countFile(const std::u16string& fileToCount);
  // Reports progress during compareFileList; it changes no result.
  void setProgressCallback(ProgressCallback callback) { progress_ = std::move(callback); }

 private:
  friend class CorvaneTestAccess;

  // 1 for a blank line, 0 otherwise.
  int32_t isBlankLine(const std::u16string& line);
  // -1 for a comment line, 0 otherwise; inMultiComm is -1 inside a multi-line comment.
  int16_t isCommentLine(const std::u16string& line, int16_t& inMultiComm);
  int32_t calCommentLines(const StringArray& lines);
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

  ProgressCallback progress_;
};

}  // namespace cvn
