#include "component/corvane_old.hpp"

#include <array>

#include "engine/changed_line.hpp"
#include "engine/statements.hpp"

namespace cvn {

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
