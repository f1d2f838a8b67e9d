#include "component/corvane_old.hpp"

#include <array>

#include "engine/changed_line.hpp"
#include "engine/statements.hpp"
#include "legacy/legacy_counters.hpp"
#include "legacy/legacy_file_pair.hpp"

namespace cvn {

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
  return compareFileListWith(args, work);
}

std::u16string Corvane_old::compareMatchedFiles(const std::u16string& strRootDir,
                                                const std::u16string& fileOne,
                                                const std::u16string& fileTwo) {
  return legacyCompareMatchedFiles(context(), blankInMultiComm, strRootDir, fileOne, fileTwo);
}

int32_t Corvane_old::calBlankLines(StringArray& fileContentsOne) {
  return legacyCalBlankLines(fileContentsOne);
}

std::u16string Corvane_old::physicalCountOnly(const std::u16string& strDirRoot,
                                              const std::u16string& fileToCount) {
  return legacyPhysicalCountOnly(context(), blankInMultiComm, strDirRoot, fileToCount);
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

}  // namespace cvn
