#include "component/comparer_object.hpp"

#include <array>

#include "engine/statements.hpp"
#include "export/export_file.hpp"
#include "export/save_dialog.hpp"
#include "tree/file_list.hpp"
#include "tree/file_matching.hpp"

namespace cvn {

std::u16string ComparerObject::SaveAFile(std::u16string& sInitDir,
                                         const std::u16string& sFileFilters, std::u16string& sTitle,
                                         int32_t& lParentHwnd) {
  return cvn::SaveAFile(sInitDir, sFileFilters, sTitle, lParentHwnd);
}

std::u16string ComparerObject::getFileList(const std::u16string& path) {
  return cvn::getFileList(state_, path);
}

std::optional<std::vector<std::u16string>> ComparerObject::listFiles(const std::u16string& path) {
  return cvn::listFiles(state_, path);
}

std::u16string ComparerObject::compareFileList(
    const std::u16string& strRootDirectoryOne, const std::u16string& strRootDirectoryTwo,
    const std::u16string& sourceOne, const std::u16string& sourceTwo,
    const std::u16string& commentChar, int16_t diffThershold, int16_t optThree, int32_t sessionID,
    const std::u16string& multiBegComm, const std::u16string& multiEndComm,
    const std::u16string& compareType) {
  const DirectoryComparisonArgs args{
      strRootDirectoryOne, strRootDirectoryTwo, sourceOne,  sourceTwo,
      commentChar,         diffThershold,       optThree,   sessionID,
      multiBegComm,        multiEndComm,        compareType};
  if (pool_) return cvn::compareFileList(state_, args, fileWork(), *pool_, progress_, sink_);
  WorkPool pool;
  return cvn::compareFileList(state_, args, fileWork(), pool, progress_, sink_);
}

int16_t ComparerObject::matchFiles(const std::u16string& rootDirectorySource,
                                   const std::u16string& rootDirectoryCompare,
                                   const std::u16string& fileToMatch,
                                   const std::u16string& matchAgainst) {
  return cvn::matchFiles(rootDirectorySource, rootDirectoryCompare, fileToMatch, matchAgainst);
}

void ComparerObject::insertDirCompareResults(Variant& a, Variant& b, Variant& c, Variant& d,
                                             Variant& e) {
  const std::array<Variant*, 5> values = {&a, &b, &c, &d, &e};
  cvn::insertDirCompareResults(state_.strSQL, state_.sessionID, values);
}

int16_t ComparerObject::checkFileExists(const std::u16string& filename) {
  return cvn::checkFileExists(filename);
}

int16_t ComparerObject::checkDirExists(const std::u16string& directory) {
  return cvn::checkDirExists(directory);
}

int16_t ComparerObject::exportFile(const std::u16string& topheader,
                                   const std::u16string& topcontents,
                                   const std::u16string& fileheader,
                                   const std::u16string& filecontents) {
  return cvn::exportFile(topheader, topcontents, fileheader, filecontents,
                         [this](std::u16string& sInitDir, const std::u16string& sFileFilters,
                                std::u16string& sTitle, int32_t& lParentHwnd) {
                           return SaveAFile(sInitDir, sFileFilters, sTitle, lParentHwnd);
                         });
}

void ComparerObject::scanDir(const std::u16string& strDir, const std::u16string& strFormat) {
  cvn::scanDir(state_, strDir, strFormat);
}

}  // namespace cvn
