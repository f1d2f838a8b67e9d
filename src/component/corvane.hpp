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

 protected:
  FileWork fileWork() override;
};

}  // namespace cvn
