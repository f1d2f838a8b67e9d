#pragma once

#include <cstdint>
#include <string>

#include "component/comparer_settings.hpp"
#include "engine/string_array.hpp"
#include "engine/variant.hpp"

namespace cvn {

// The current comparer. Each object owns its settings, its statement list and
// its scan fields; objects share nothing. A failed call throws cvn::Error with
// its number; fields keep what was written before the failure.
class Corvane {
 public:
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

  // C++ only, not part of the dispatch interface.
  void setSettings(const ComparerSettings& settings);
  ComparerSettings settings() const;
  const std::u16string& statementList() const noexcept { return strSQL; }

 private:
  friend class CorvaneTestAccess;

  // 1 for a blank line, 0 otherwise.
  int32_t isBlankLine(const std::u16string& line);
  // -1 for a comment line, 0 otherwise; inMultiComm is -1 inside a multi-line comment.
  int16_t isCommentLine(const std::u16string& line, int16_t& inMultiComm);
  int32_t calCommentLines(const StringArray& lines);

  int32_t sessionID = 0;
  std::u16string commentChar;
  std::u16string multiBegComm;
  std::u16string multiEndComm;
  int16_t diffThershold = 0;
  int16_t optThree = 0;
  std::u16string strSQL;
  std::u16string strFolderList;
  std::u16string strScanRoot;
};

}  // namespace cvn
