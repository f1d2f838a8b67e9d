#include "component/corvane_old.hpp"

#include <array>

#include "engine/changed_line.hpp"
#include "engine/statements.hpp"
#include "export/export_file.hpp"
#include "export/save_dialog.hpp"
#include "legacy/legacy_counters.hpp"
#include "legacy/legacy_file_pair.hpp"
#include "tree/file_matching.hpp"

namespace cvn {

std::u16string Corvane_old::SaveAFile(std::u16string& sInitDir, const std::u16string& sFileFilters,
                           std::u16string& sTitle, int32_t& lParentHwnd) {
  return cvn::SaveAFile(sInitDir, sFileFilters, sTitle, lParentHwnd);
}

int16_t Corvane_old::exportFile(const std::u16string& topheader, const std::u16string& topcontents,
                       const std::u16string& fileheader, const std::u16string& filecontents) {
  return cvn::exportFile(topheader, topcontents, fileheader, filecontents,
                         [this](std::u16string& sInitDir, const std::u16string& sFileFilters,
                                std::u16string& sTitle, int32_t& lParentHwnd) {
                           return SaveAFile(sInitDir, sFileFilters, sTitle, lParentHwnd);
                         });
}

ComparerContext Corvane_old::context() {
  return {sessionID, commentChar, multiBegComm, multiEndComm, diffThershold, strSQL};
}

std::u16string Corvane_old::getFileList(const std::u16string& path) {
  return cvn::getFileList(scanState(), path);
}

std::optional<std::vector<std::u16string>> Corvane_old::listFiles(const std::u16string& path) {
  return cvn::listFiles(scanState(), path);
}

std::u16string Corvane_old::compareFileList(
    const std::u16string& strRootDirectoryOne, const std::u16string& strRootDirectoryTwo,
    const std::u16string& sourceOne, const std::u16string& sourceTwo,
    const std::u16string& commentChar_, int16_t diffThershold_, int16_t optThree_,
    int32_t sessionID_, const std::u16string& multiBegComm_, const std::u16string& multiEndComm_,
    const std::u16string& compareType) {
  // Files without a counterpart are only counted: no per-file work for them.
  FileWork work;
  work.compareMatched = [this](const std::u16string& root, const std::u16string& one,
                               const std::u16string& two) { compareMatchedFiles(root, one, two); };
  work.countMatched = [this](const std::u16string& root, const std::u16string& file) {
    physicalCountOnly(root, file);
  };
  const DirectoryComparisonArgs args{strRootDirectoryOne, strRootDirectoryTwo, sourceOne,
                                     sourceTwo,           commentChar_,        diffThershold_,
                                     optThree_,           sessionID_,          multiBegComm_,
                                     multiEndComm_,       compareType};
  return cvn::compareFileList({context(), optThree}, args, work, progress_);
}

int16_t Corvane_old::matchFiles(const std::u16string& rootDirectorySource,
                                const std::u16string& rootDirectoryCompare,
                                const std::u16string& fileToMatch,
                                const std::u16string& matchAgainst) {
  return cvn::matchFiles(rootDirectorySource, rootDirectoryCompare, fileToMatch, matchAgainst);
}

std::u16string Corvane_old::compareMatchedFiles(const std::u16string& strRootDir,
                                                const std::u16string& fileOne,
                                                const std::u16string& fileTwo) {
  return legacyCompareMatchedFiles(context(), blankInMultiComm, strRootDir, fileOne, fileTwo);
}

int16_t Corvane_old::checkFileExists(const std::u16string& filename) {
  return cvn::checkFileExists(filename);
}

int16_t Corvane_old::checkDirExists(const std::u16string& directory) {
  return cvn::checkDirExists(directory);
}

int32_t Corvane_old::calBlankLines(StringArray& fileContentsOne) {
  return legacyCalBlankLines(fileContentsOne);
}

std::u16string Corvane_old::physicalCountOnly(const std::u16string& strDirRoot,
                                              const std::u16string& fileToCount) {
  return legacyPhysicalCountOnly(context(), blankInMultiComm, strDirRoot, fileToCount);
}

void Corvane_old::scanDir(const std::u16string& strDir, const std::u16string& strFormat) {
  cvn::scanDir(scanState(), strDir, strFormat);
}

int16_t Corvane_old::determineChangedLine(const std::u16string& string1,
                                          const std::u16string& string2, int16_t threshold) {
  return cvn::determineChangedLine_old(string1, string2, threshold);
}

void Corvane_old::insertFileCompareResults(Variant& a, Variant& b, Variant& c, Variant& d,
                                           Variant& e, Variant& f, Variant& g, Variant& h,
                                           Variant& i, Variant& k, Variant& l) {
  const std::array<Variant*, 11> values = {&a, &b, &c, &d, &e, &f, &g, &h, &i, &k, &l};
  insertLegacyFileCompareResults(strSQL, sessionID, values);
}

void Corvane_old::insertDirCompareResults(Variant& a, Variant& b, Variant& c, Variant& d,
                                          Variant& e) {
  const std::array<Variant*, 5> values = {&a, &b, &c, &d, &e};
  cvn::insertDirCompareResults(strSQL, sessionID, values);
}

void Corvane_old::setSettings(const ComparerSettings& s) {
  sessionID = s.sessionID;
  commentChar = s.commentChar;
  optThree = s.optThree;
  diffThershold = s.diffThershold;
  multiBegComm = s.multiBegComm;
  multiEndComm = s.multiEndComm;
}

ComparerSettings Corvane_old::settings() const {
  return {sessionID, commentChar, multiBegComm, multiEndComm, diffThershold, optThree};
}

}  // namespace cvn
