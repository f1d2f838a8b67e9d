#pragma once

#include <cstdint>
#include <string>

#include "component/comparer_settings.hpp"
#include "engine/string_array.hpp"
#include "engine/variant.hpp"

namespace cvn {

// The legacy comparer: the earlier pairing and counters and the shorter
// per-file statement, with object state of its own.
class Corvane_old {
 public:
  // The earlier changed-line test: 1 for a changed line, 0 otherwise.
  int16_t determineChangedLine(const std::u16string& string1, const std::u16string& string2,
                               int16_t diffThershold);
  void insertFileCompareResults(Variant& a, Variant& b, Variant& c, Variant& d, Variant& e,
                                Variant& f, Variant& g, Variant& h, Variant& i, Variant& k,
                                Variant& l);
  void insertDirCompareResults(Variant& a, Variant& b, Variant& c, Variant& d, Variant& e);

  // C++ only, not part of the dispatch interface.
  void setSettings(const ComparerSettings& settings);
  ComparerSettings settings() const;
  const std::u16string& statementList() const noexcept { return strSQL; }

 private:
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
};

}  // namespace cvn
