// The file pair comparison on random bytes, current and legacy: the fast
// pairing (hashes, length buckets, byte-count vectors) must give exactly what
// the literal linear search gives; any difference aborts. The same bytes, as
// a table of byte-count vectors, check the scan kernels against each other.
//
// Input: a threshold, a marker byte (a preset below 0xC0, else three markers
// follow), a split byte, then the bytes of both files.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/file_pair.hpp"
#include "engine/similarity_kernels.hpp"
#include "fuzz_input.hpp"
#include "legacy/legacy_counters.hpp"
#include "legacy/legacy_file_pair.hpp"
#include "platform/codepage.hpp"
#include "platform/text_file.hpp"
#include "support/literal_reference.hpp"

namespace cvn::fuzz {
namespace {

using test::literalCompare;
using test::literalLegacyPairing;
using test::LegacyPairing;
using test::MarkerTexts;

// Real languages' markers and odd ones: an end equal to the begin, characters
// without a code, a carriage return, letters.
MarkerTexts markers(Input& in) {
  static const MarkerTexts kPresets[] = {{u"//", u"/*", u"*/"},     {u"#", u"", u""},
                                         {u"--", u"{", u"}"},       {u"", u"/*", u""},
                                         {u"//", u"/*", u"/*"},     {u"\u00E9", u"\u20AC", u"\r"},
                                         {u"\u0100", u"/*", u"*/"}, {u"'", u"<!--", u"-->"},
                                         {u"", u"", u""},           {u"a", u"b", u"c"}};
  const uint8_t b = in.byte();
  if (b < 0xC0) return kPresets[b % std::size(kPresets)];
  MarkerTexts custom;
  custom.comment = in.text(3);
  custom.begin = in.text(3);
  custom.end = in.text(3);
  return custom;
}

std::string counts(const CategoryCounts& c) {
  return "lines " + std::to_string(c.linesOne) + "/" + std::to_string(c.linesTwo) + " blank " +
         std::to_string(c.blankOne) + "/" + std::to_string(c.blankTwo) + " same " +
         std::to_string(c.same) + " changed " + std::to_string(c.changed) + " deleted " +
         std::to_string(c.deleted) + " added " + std::to_string(c.added);
}

std::string counts(const FilePairCounts& c) {
  return "comment {" + counts(c.comment) + "} code {" + counts(c.code) + "}";
}

std::string counts(int32_t same, int32_t changed, int32_t deleted, int32_t added) {
  return "same " + std::to_string(same) + " changed " + std::to_string(changed) + " deleted " +
         std::to_string(deleted) + " added " + std::to_string(added);
}

std::vector<std::u16string> decoded(const std::vector<std::string_view>& lines) {
  std::vector<std::u16string> text;
  for (std::string_view line : lines) text.push_back(decodeCp1252(line));
  return text;
}

// Every scan kernel the processor offers (the pairing uses the fastest) must find the
// entry the portable one finds, on tables laid out and padded as the pairing does.
void checkScans(std::string_view bytes, int16_t threshold, uint8_t split) {
  using namespace similarity_detail;
  const size_t entries = bytes.size() / kCoarseBytes;
  if (entries == 0) return;
  std::vector<uint8_t> table((entries + kScanPadEntries) * kCoarseBytes, 0);
  std::copy_n(bytes.begin(), entries * kCoarseBytes, table.begin());
  std::vector<uint64_t> alive((entries + kScanPadEntries) / 64 + 2, 0);
  for (size_t k = 0; k < entries; ++k) {
    if ((static_cast<uint8_t>(bytes[k]) & 3) != 0) alive[k >> 6] |= uint64_t{1} << (k & 63);
  }
  const uint8_t* probe = table.data() + (split % entries) * kCoarseBytes;
  const int limit = std::clamp<int>(threshold, 0, 32767);
  const size_t from = split % (entries + 1);
  const size_t expected = coarseScanScalar(table.data(), alive.data(), from, entries, probe, limit);
  for (const CoarseScan scan : supportedCoarseScans()) {
    CVN_FUZZ_CHECK(
        scan(table.data(), alive.data(), from, entries, probe, limit) == expected,
        "scan kernels disagree from " + std::to_string(from) + " limit " + std::to_string(limit));
  }
}

void run(Input& in) {
  int16_t threshold = in.threshold();
  MarkerTexts m = markers(in);
  const uint8_t split = in.byte();
  const std::string_view bytes = in.rest();
  const size_t cut = bytes.size() * split / 255;
  const std::vector<std::string_view> one = splitLines(bytes.substr(0, cut));
  const std::vector<std::string_view> two = splitLines(bytes.substr(cut));
  const std::vector<std::u16string> textOne = decoded(one);
  const std::vector<std::u16string> textTwo = decoded(two);

  ComparerState state{.sessionID = 1,
                      .commentChar = m.comment,
                      .multiBegComm = m.begin,
                      .multiEndComm = m.end,
                      .diffThershold = threshold};
  const std::string what = "threshold " + std::to_string(threshold) + " markers " +
                           show(m.comment) + " " + show(m.begin) + " " + show(m.end);

  const FilePairCounts fast = compareLines(one, two, state);
  const FilePairCounts literal = literalCompare(textOne, textTwo, m, threshold);
  CVN_FUZZ_CHECK(fast == literal,
                 what + "\n  fast    " + counts(fast) + "\n  literal " + counts(literal));
  for (const CategoryCounts* c : {&fast.comment, &fast.code}) {
    CVN_FUZZ_CHECK(c->same + c->changed + c->deleted == c->linesOne, counts(*c));
    CVN_FUZZ_CHECK(c->same + c->changed + c->added == c->linesTwo, counts(*c));
  }
  CVN_FUZZ_CHECK(
      fast.comment.linesOne + fast.comment.blankOne + fast.code.linesOne + fast.code.blankOne ==
          static_cast<int32_t>(one.size()),
      counts(fast));

  state.blankInMultiComm = -7;
  const LegacyCounts legacy = legacyCompareLines(one, two, state);
  // The legacy test itself on small files; its equal, faster twin on large ones.
  const bool small = textOne.size() * textTwo.size() <= 1024;
  const LegacyPairing legacyLiteral =
      literalLegacyPairing(textOne, textTwo, [&](const std::u16string& a, const std::u16string& b) {
        return small ? determineChangedLine_old(a, b, threshold) == 1
                     : determineChangedLine(a, b, threshold) != 0;
      });
  const LegacyPairing legacyFast{legacy.same, legacy.changed, legacy.deleted, legacy.added};
  CVN_FUZZ_CHECK(legacyFast == legacyLiteral,
                 what + "\n  fast    " +
                     counts(legacy.same, legacy.changed, legacy.deleted, legacy.added) +
                     "\n  literal " +
                     counts(legacyLiteral.same, legacyLiteral.changed, legacyLiteral.deleted,
                            legacyLiteral.added));
  CVN_FUZZ_CHECK(
      legacy.totalOne + legacy.commentOne + legacy.blankOne == static_cast<int32_t>(one.size()),
      what);
  CVN_FUZZ_CHECK(
      legacy.totalTwo + legacy.commentTwo + legacy.blankTwo == static_cast<int32_t>(two.size()),
      what);
  // The out value is the counter's for the second file.
  int32_t blankInTwo = -1;
  legacyCommentLines(two, byteMarkers(m.comment, m.begin, m.end), blankInTwo);
  CVN_FUZZ_CHECK(state.blankInMultiComm == blankInTwo, what);
  CVN_FUZZ_CHECK(state.strSQL.empty(), "the line comparisons write no statement");
  checkScans(bytes, threshold, split);
}

}  // namespace
}  // namespace cvn::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  cvn::fuzz::Input in(data, size);
  cvn::fuzz::run(in);
  return 0;
}
