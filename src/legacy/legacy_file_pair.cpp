#include "legacy/legacy_file_pair.hpp"

#include <array>
#include <vector>

#include "engine/file_pair.hpp"
#include "engine/identical_pairing.hpp"
#include "engine/line_classifier.hpp"
#include "engine/similarity_pairing.hpp"
#include "engine/statements.hpp"
#include "engine/variant.hpp"
#include "legacy/legacy_counters.hpp"
#include "platform/checked.hpp"
#include "platform/file_system.hpp"

namespace cvn {
namespace {

std::u16string decimal(int32_t value) {
  const std::string text = std::to_string(value);
  return std::u16string(text.begin(), text.end());
}

void appendLegacyStatement(ComparerState& state, std::array<Variant, 11>& values) {
  std::array<Variant*, 11> pointers{};
  for (size_t k = 0; k < values.size(); ++k) pointers[k] = &values[k];
  insertLegacyFileCompareResults(state.strSQL, state.sessionID, pointers);
}

}  // namespace

LegacyCounts legacyCompareLines(std::span<const std::string_view> linesOne,
                                std::span<const std::string_view> linesTwo, ComparerState& state) {
  if (linesOne.size() > static_cast<size_t>(INT32_MAX) ||
      linesTwo.size() > static_cast<size_t>(INT32_MAX)) {
    raise(kOverflow);
  }
  const auto lengthOne = static_cast<int32_t>(linesOne.size());
  const auto lengthTwo = static_cast<int32_t>(linesTwo.size());
  LegacyCounts counts;

  std::vector<uint8_t> oldPaired(linesOne.size(), 0);
  std::vector<uint8_t> newPaired(linesTwo.size(), 0);
  counts.same = static_cast<int32_t>(pairIdenticalLines(linesOne, linesTwo, oldPaired, newPaired));
  // Every old line is offered again, also those paired by identical text.
  // The earlier test compares characters, which for text read through the
  // single-byte code page is the same as comparing bytes.
  const std::vector<LinePair> similar =
      pairSimilarLines(linesOne, linesTwo, newPaired, state.diffThershold);
  counts.changed = static_cast<int32_t>(similar.size());
  for (const LinePair& pair : similar) oldPaired[static_cast<size_t>(pair.oldIndex)] = 1;

  int32_t pairedOld = 0;
  for (uint8_t paired : oldPaired) pairedOld += paired;
  int32_t pairedNew = 0;
  for (uint8_t paired : newPaired) pairedNew += paired;
  counts.deleted = lengthOne - pairedOld;
  counts.added = lengthTwo - pairedNew;

  const ByteMarkers markers =
      byteMarkers(state.commentChar, state.multiBegComm, state.multiEndComm);
  int32_t blankInCommentOne = 0;
  counts.commentOne = legacyCommentLines(linesOne, markers, blankInCommentOne);
  counts.commentTwo = legacyCommentLines(linesTwo, markers, state.blankInMultiComm);
  counts.blankOne = checkedSub(legacyBlankLines(linesOne), blankInCommentOne);
  counts.blankTwo = checkedSub(legacyBlankLines(linesTwo), state.blankInMultiComm);
  counts.totalOne = checkedSub(lengthOne, checkedAdd(counts.commentOne, counts.blankOne));
  counts.totalTwo = checkedSub(lengthTwo, checkedAdd(counts.commentTwo, counts.blankTwo));
  return counts;
}

std::u16string legacyCompareMatchedFiles(ComparerState& state, const std::u16string& strRootDir,
                                         const std::u16string& fileOne,
                                         const std::u16string& fileTwo) {
  FileSystem& fs = FileSystem::current();
  const TextLines textOne = fs.readTextFile(fileOne);
  const TextLines textTwo = fs.readTextFile(fileTwo);
  const LegacyCounts n = legacyCompareLines(textOne.lines(), textTwo.lines(), state);

  const std::array<std::pair<std::u16string_view, int32_t>, 8> records = {{
      {u"samelines", n.same},
      {u"changedlines", n.changed},
      {u"dellines", n.deleted},
      {u"newlines", n.added},
      {u"commlinesOne", n.commentOne},
      {u"commlinesTwo", n.commentTwo},
      {u"totallinesOne", n.totalOne},
      {u"totallinesTwo", n.totalTwo},
  }};
  std::u16string report;
  for (const auto& [key, value] : records) {
    if (!report.empty()) report += u'\r';
    report += key;
    report += u'\t';
    report += decimal(value);
  }

  std::array<Variant, 11> values = {
      Variant(n.same),     Variant(n.changed),    Variant(n.deleted),
      Variant(n.added),    Variant(n.commentOne), Variant(n.commentTwo),
      Variant(n.totalOne), Variant(n.totalTwo),   Variant(nameAfterRoot(fileOne, strRootDir)),
      Variant(n.blankOne), Variant(n.blankTwo)};
  appendLegacyStatement(state, values);
  return report;
}

std::u16string legacyPhysicalCountOnly(ComparerState& state, const std::u16string& strDirRoot,
                                       const std::u16string& fileToCount) {
  const TextLines text = FileSystem::current().readTextFile(fileToCount);
  const auto& lines = text.lines();
  if (lines.size() > static_cast<size_t>(INT32_MAX)) raise(kOverflow);
  const auto total = static_cast<int32_t>(lines.size());
  const ByteMarkers markers =
      byteMarkers(state.commentChar, state.multiBegComm, state.multiEndComm);
  const int32_t comment = legacyCommentLines(lines, markers, state.blankInMultiComm);
  const int32_t blank = checkedSub(legacyBlankLines(lines), state.blankInMultiComm);
  const int32_t code = checkedSub(total, checkedAdd(blank, comment));

  const Variant zero(int16_t{0});
  std::array<Variant, 11> values = {Variant(total),
                                    zero,
                                    zero,
                                    zero,
                                    Variant(comment),
                                    zero,
                                    Variant(code),
                                    zero,
                                    Variant(nameAfterRoot(fileToCount, strDirRoot)),
                                    Variant(blank),
                                    zero};
  appendLegacyStatement(state, values);
  return u"";
}

}  // namespace cvn
