#include "tree/physical_count.hpp"

#include <array>

#include "engine/file_pair.hpp"
#include "engine/line_classifier.hpp"
#include "engine/statements.hpp"
#include "engine/variant.hpp"
#include "platform/checked.hpp"
#include "platform/file_system.hpp"

namespace cvn {

PhysicalCounts countPhysicalLines(std::string_view text, const ComparerState& state) {
  const LineTally tally =
      tallyLines(text, byteMarkers(state.commentChar, state.multiBegComm, state.multiEndComm));
  PhysicalCounts counts;
  counts.comment = tally[1][0] + tally[1][1];
  counts.blank = tally[0][1];
  counts.code = tally[0][0];
  counts.total = counts.comment + counts.blank + counts.code;
  return counts;
}

PhysicalCounts countFile(const ComparerState& state, const std::u16string& fileToCount) {
  const TextLines text = FileSystem::current().readTextFile(fileToCount);
  return countPhysicalLines(text.text(), state);
}

std::u16string physicalCountOnly(ComparerState& state, const std::u16string& strDirRoot,
                                 const std::u16string& fileToCount, int16_t ifileType) {
  reportPhysicalCount(state, strDirRoot, fileToCount, ifileType, countFile(state, fileToCount));
  return u"";
}

void reportPhysicalCount(ComparerState& state, const std::u16string& strDirRoot,
                         const std::u16string& fileToCount, int16_t ifileType,
                         const PhysicalCounts& n) {
  if (ifileType != kCountedFile && ifileType != kNewFile && ifileType != kDeletedFile) return;

  const int32_t nonBlank = checkedAdd(n.code, n.comment);
  const Variant zero(int16_t{0});
  const Variant total(n.total), comment(n.comment), blank(n.blank), code(n.code), lines(nonBlank);
  const bool counted = ifileType == kCountedFile;
  const bool added = ifileType == kNewFile;
  const bool deleted = ifileType == kDeletedFile;
  // Interface order a b c d e f g h i k l a1 a2 b1 b2 c1 c2 d1 d2.
  std::array<Variant, 19> values = {
      counted ? total : zero,  // a  samelines
      zero,                    // b  changedlines
      deleted ? lines : zero,  // c  deletedlines
      added ? lines : zero,    // d  newlines
      added ? zero : comment,  // e  commentlinesinold
      added ? comment : zero,  // f  commentlinesinnew
      counted   ? code
      : deleted ? lines
                : zero,                                 // g  totallinesinold
      added ? lines : zero,                             // h  totallinesinnew
      Variant(nameAfterRoot(fileToCount, strDirRoot)),  // i
      added ? zero : blank,                             // k  blanklinesinold
      added ? blank : zero,                             // l  blanklinesinnew
      zero,
      zero,
      zero,
      zero,                      // a1 a2 b1 b2
      deleted ? comment : zero,  // c1
      deleted ? code : zero,     // c2
      added ? comment : zero,    // d1
      added ? code : zero,       // d2
  };
  std::array<Variant*, 19> pointers{};
  for (size_t k = 0; k < values.size(); ++k) pointers[k] = &values[k];
  insertFileCompareResults(state.strSQL, state.sessionID, pointers);
}

}  // namespace cvn
