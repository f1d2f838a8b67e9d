#pragma once

#include <cstdint>
#include <string>

#include "component/comparer_object.hpp"
#include "engine/string_array.hpp"
#include "engine/variant.hpp"

namespace cvn {

// The legacy comparer: the earlier pairing and counters and the shorter
// per-file statement.
class Corvane_old : public ComparerObject {
 public:
  // The eight-entry legacy report.
  std::u16string compareMatchedFiles(const std::u16string& strRootDir,
                                     const std::u16string& fileOne, const std::u16string& fileTwo);
  void insertFileCompareResults(Variant& a, Variant& b, Variant& c, Variant& d, Variant& e,
                                Variant& f, Variant& g, Variant& h, Variant& i, Variant& k,
                                Variant& l);
  // The earlier changed-line test: 1 for a changed line, 0 otherwise.
  int16_t determineChangedLine(const std::u16string& string1, const std::u16string& string2,
                               int16_t diffThershold);
  // Normalises every element of the caller's array (tabs removed, spaces trimmed).
  int32_t calBlankLines(StringArray& fileContentsOne);
  std::u16string physicalCountOnly(const std::u16string& strDirRoot,
                                   const std::u16string& fileToCount);

 protected:
  // Files without a counterpart are only counted: no per-file work for them.
  FileWork fileWork() override;
};

}  // namespace cvn
