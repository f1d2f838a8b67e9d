#include "component/corvane.hpp"

#include <array>

#include "engine/changed_line.hpp"
#include "engine/file_pair.hpp"
#include "engine/line_classifier.hpp"
#include "engine/statements.hpp"

namespace cvn {

std::u16string Corvane::compareFileList(
    const std::u16string& strRootDirectoryOne, const std::u16string& strRootDirectoryTwo,
    const std::u16string& sourceOne, const std::u16string& sourceTwo,
    const std::u16string& commentChar_, int16_t diffThershold_, int16_t optThree_,
    int32_t sessionID_, const std::u16string& multiBegComm_, const std::u16string& multiEndComm_,
    const std::u16string& compareType) {
  FileWork work;
  work.compareMatched = [this](const std::u16string& root, const std::u16string& one,
                               const std::u16string& two) { compareMatchedFiles(root, one, two); };
  work.countMatched = [this](const std::u16string& root, const std::u16string& file) {
    int16_t type = kCountedFile;
    physicalCountOnly(root, file, type);
  };
  work.countDeleted = [this](const std::u16string& root, const std::u16string& file) {
    int16_t type = kDeletedFile;
    physicalCountOnly(root, file, type);
  };
  work.countNew = [this](const std::u16string& root, const std::u16string& file) {
    int16_t type = kNewFile;
    physicalCountOnly(root, file, type);
  };
  const DirectoryComparisonArgs args{strRootDirectoryOne, strRootDirectoryTwo, sourceOne,
                                     sourceTwo,           commentChar_,        diffThershold_,
                                     optThree_,           sessionID_,          multiBegComm_,
                                     multiEndComm_,       compareType};
  return compareFileListWith(args, work);
}

std::u16string Corvane::compareMatchedFiles(const std::u16string& strRootDir,
                                            const std::u16string& fileOne,
                                            const std::u16string& fileTwo) {
  return cvn::compareMatchedFiles(context(), strRootDir, fileOne, fileTwo);
}

std::u16string Corvane::physicalCountOnly(const std::u16string& strDirRoot,
                                          const std::u16string& fileToCount, int16_t& ifileType) {
  return cvn::physicalCountOnly(context(), strDirRoot, fileToCount, ifileType);
}

PhysicalCounts Corvane::countFile(const std::u16string& fileToCount) {
  return cvn::countFile(context(), fileToCount);
}

int16_t Corvane::determineChangedLine(const std::u16string& string1, const std::u16string& string2,
                                      int16_t threshold) {
  return cvn::determineChangedLine(string1, string2, threshold);
}

int16_t Corvane::determineChangedLine_old(const std::u16string& string1,
                                          const std::u16string& string2, int16_t threshold) {
  return cvn::determineChangedLine_old(string1, string2, threshold);
}

int32_t Corvane::calBlankLines(StringArray& fileContentsOne) {
  return countBlankLines(fileContentsOne);
}

void Corvane::insertFileCompareResults(Variant& a, Variant& b, Variant& c, Variant& d, Variant& e,
                                       Variant& f, Variant& g, Variant& h, Variant& i, Variant& k,
                                       Variant& l, Variant& a1, Variant& a2, Variant& b1,
                                       Variant& b2, Variant& c1, Variant& c2, Variant& d1,
                                       Variant& d2) {
  const std::array<Variant*, 19> values = {&a,  &b,  &c,  &d,  &e,  &f,  &g,  &h,  &i, &k,
                                           &l,  &a1, &a2, &b1, &b2, &c1, &c2, &d1, &d2};
  cvn::insertFileCompareResults(strSQL, sessionID, values);
}

int32_t Corvane::isBlankLine(const std::u16string& line) {
  return LineClassifier<char16_t>(TextMarkers{}).isBlank(line) ? 1 : 0;
}

int16_t Corvane::isCommentLine(const std::u16string& line, int16_t& inMultiComm) {
  bool state = inMultiComm != 0;
  LineClassifier<char16_t> classifier(textMarkers(commentChar, multiBegComm, multiEndComm));
  const bool comment = classifier.isComment(line, state);
  inMultiComm = state ? -1 : 0;
  return comment ? -1 : 0;
}

int32_t Corvane::calCommentLines(const StringArray& lines) {
  return countCommentLines(lines, textMarkers(commentChar, multiBegComm, multiEndComm));
}

}  // namespace cvn
