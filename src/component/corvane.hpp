#pragma once

#include <cstdint>
#include <string>

#include "component/comparer_object.hpp"
#include "engine/string_array.hpp"
#include "engine/variant.hpp"
#include "tree/physical_count.hpp"

namespace cvn {

// The current comparer: lines classified while reading, comment and code lines
// paired apart, blank lines never compared.
class Corvane : public ComparerObject {
 public:
  std::u16string compareFileList(const std::u16string& strRootDirectoryOne,
                                 const std::u16string& strRootDirectoryTwo,
                                 const std::u16string& sourceOne, const std::u16string& sourceTwo,
                                 const std::u16string& commentChar, int16_t diffThershold,
                                 int16_t optThree, int32_t sessionID,
                                 const std::u16string& multiBegComm,
                                 const std::u16string& multiEndComm,
                                 const std::u16string& compareType);
  std::u16string compareMatchedFiles(const std::u16string& strRootDir,
                                     const std::u16string& fileOne, const std::u16string& fileTwo);
  void insertFileCompareResults(Variant& a, Variant& b, Variant& c, Variant& d, Variant& e,
                                Variant& f, Variant& g, Variant& h, Variant& i, Variant& k,
                                Variant& l, Variant& a1, Variant& a2, Variant& b1, Variant& b2,
                                Variant& c1, Variant& c2, Variant& d1, Variant& d2);
  int16_t determineChangedLine(const std::u16string& string1, const std::u16string& string2,
                               int16_t diffThershold);
  int16_t determineChangedLine_old(const std::u16string& string1, const std::u16string& string2,
                                   int16_t diffThershold);
  int32_t calBlankLines(StringArray& fileContentsOne);
  std::u16string physicalCountOnly(const std::u16string& strDirRoot,
                                   const std::u16string& fileToCount, int16_t& ifileType);

  // C++ only: the physical count of one file with the object's markers.
  PhysicalCounts countFile(const std::u16string& fileToCount);

 private:
  friend class CorvaneTestAccess;

  // 1 for a blank line, 0 otherwise.
  int32_t isBlankLine(const std::u16string& line);
  // -1 for a comment line, 0 otherwise; inMultiComm is -1 inside a multi-line comment.
  int16_t isCommentLine(const std::u16string& line, int16_t& inMultiComm);
  int32_t calCommentLines(const StringArray& lines);
};

}  // namespace cvn
