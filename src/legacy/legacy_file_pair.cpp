#include "legacy/legacy_file_pair.hpp"

#include <array>
#include <vector>

#include "engine/file_pair.hpp"
#include "engine/identical_pairing.hpp"
#include "engine/line_classifier.hpp"
#include "engine/line_folding.hpp"
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
  return legacyCompareLines(linesOne, linesTwo, state, state.blankInMultiComm);
}

LegacyCounts legacyCompareLines(std::span<const std::string_view> linesOne,
                                std::span<const std::string_view> linesTwo,
                                const ComparerState& state, int32_t& blankInMultiComm) {
  if (linesOne.size() > static_cast<size_t>(INT32_MAX) ||
      linesTwo.size() > static_cast<size_t>(INT32_MAX)) {
    raise(kOverflow);
  }
  const auto lengthOne = static_cast<int32_t>(linesOne.size());
  const auto lengthTwo = static_cast<int32_t>(linesTwo.size());
  LegacyCounts counts;

  // Lines pair as folded; they are counted and classified as they are.
  const FoldedLines foldedOne(linesOne, state.folding);
  const FoldedLines foldedTwo(linesTwo, state.folding);
  std::vector<uint8_t> oldPaired(linesOne.size(), 0);
  std::vector<uint8_t> newPaired(linesTwo.size(), 0);
  counts.same = static_cast<int32_t>(
      pairIdenticalLines(foldedOne.lines(), foldedTwo.lines(), oldPaired, newPaired));
  // Every old line is offered again, also those paired by identical text.
  // The earlier test compares characters, which for text read through the
  // single-byte code page is the same as comparing bytes.
  const std::vector<LinePair> similar =
      pairSimilarLines(foldedOne.lines(), foldedTwo.lines(), newPaired, state.diffThershold);
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
  counts.commentTwo = legacyCommentLines(linesTwo, markers, blankInMultiComm);
  counts.blankOne = checkedSub(legacyBlankLines(linesOne), blankInCommentOne);
  counts.blankTwo = checkedSub(legacyBlankLines(linesTwo), blankInMultiComm);
  counts.totalOne = checkedSub(lengthOne, checkedAdd(counts.commentOne, counts.blankOne));
  counts.totalTwo = checkedSub(lengthTwo, checkedAdd(counts.commentTwo, counts.blankTwo));
  return counts;
}

LegacyPairResult legacyCountFilePair(const ComparerState& settings,
                                     const std::u16string& strRootDir,
                                     const std::u16string& fileOne, const std::u16string& fileTwo) {
  FileSystem& fs = FileSystem::current();
  const TextLines textOne = fs.readTextFile(fileOne);
  const TextLines textTwo = fs.readTextFile(fileTwo);
  LegacyPairResult result;
  result.counts =
      legacyCompareLines(textOne.lines(), textTwo.lines(), settings, result.blankInMultiComm);
  result.name = nameAfterRoot(fileOne, strRootDir);
  result.identical = textOne.text() == textTwo.text();
  return result;
}

std::u16string legacyCompareMatchedFiles(ComparerState& state, const std::u16string& strRootDir,
                                         const std::u16string& fileOne,
                                         const std::u16string& fileTwo) {
  return legacyReportFilePair(state, legacyCountFilePair(state, strRootDir, fileOne, fileTwo));
}

std::u16string legacyReportFilePair(ComparerState& state, const LegacyPairResult& result) {
  state.blankInMultiComm = result.blankInMultiComm;
  const LegacyCounts& n = result.counts;
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
      Variant(n.same),       Variant(n.changed),    Variant(n.deleted),  Variant(n.added),
      Variant(n.commentOne), Variant(n.commentTwo), Variant(n.totalOne), Variant(n.totalTwo),
      Variant(result.name),  Variant(n.blankOne),   Variant(n.blankTwo)};
  appendLegacyStatement(state, values);
  return report;
}

LegacyCountResult legacyCountFile(const ComparerState& settings, const std::u16string& strDirRoot,
                                  const std::u16string& fileToCount) {
  const TextLines text = FileSystem::current().readTextFile(fileToCount);
  const auto& lines = text.lines();
  if (lines.size() > static_cast<size_t>(INT32_MAX)) raise(kOverflow);
  LegacyCountResult result;
  PhysicalCounts& n = result.counts;
  n.total = static_cast<int32_t>(lines.size());
  const ByteMarkers markers =
      byteMarkers(settings.commentChar, settings.multiBegComm, settings.multiEndComm);
  n.comment = legacyCommentLines(lines, markers, result.blankInMultiComm);
  n.blank = checkedSub(legacyBlankLines(lines), result.blankInMultiComm);
  n.code = checkedSub(n.total, checkedAdd(n.blank, n.comment));
  result.name = nameAfterRoot(fileToCount, strDirRoot);
  return result;
}

std::u16string legacyPhysicalCountOnly(ComparerState& state, const std::u16string& strDirRoot,
                                       const std::u16string& fileToCount) {
  legacyReportCount(state, legacyCountFile(state, strDirRoot, fileToCount));
  return u"";
}

void legacyReportCount(ComparerState& state, const LegacyCountResult& result) {
  state.blankInMultiComm = result.blankInMultiComm;
  const PhysicalCounts& n = result.counts;
  const Variant zero(int16_t{0});
  std::array<Variant, 11> values = {Variant(n.total),
                                    zero,
                                    zero,
                                    zero,
                                    Variant(n.comment),
                                    zero,
                                    Variant(n.code),
                                    zero,
                                    Variant(result.name),
                                    Variant(n.blank),
                                    zero};
  appendLegacyStatement(state, values);
}

}  // namespace cvn
