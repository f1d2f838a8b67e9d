#include "component/corvane.hpp"

#include <array>

#include "engine/changed_line.hpp"
#include "engine/line_classifier.hpp"
#include "engine/statements.hpp"

namespace cvn {

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

void Corvane::insertDirCompareResults(Variant& a, Variant& b, Variant& c, Variant& d, Variant& e) {
  const std::array<Variant*, 5> values = {&a, &b, &c, &d, &e};
  cvn::insertDirCompareResults(strSQL, sessionID, values);
}

void Corvane::setSettings(const ComparerSettings& s) {
  sessionID = s.sessionID;
  commentChar = s.commentChar;
  optThree = s.optThree;
  diffThershold = s.diffThershold;
  multiBegComm = s.multiBegComm;
  multiEndComm = s.multiEndComm;
}

ComparerSettings Corvane::settings() const {
  return {sessionID, commentChar, multiBegComm, multiEndComm, diffThershold, optThree};
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
