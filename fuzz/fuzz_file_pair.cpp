// The file pair comparison on random bytes, current (of line lists and of whole texts) and
// legacy: the fast pairing gives exactly what the literal search gives. The same bytes, as a table
// of byte-count vectors, check every scan kernel against the portable one. Input: a threshold, a
// marker byte (a preset below 0xC0, else three markers follow), a split byte (its two low bits also
// ask for whitespace and case folding), then the bytes of both files.

#include <algorithm>

#include "engine/similarity_kernels.hpp"
#include "fuzz_input.hpp"
#include "legacy/legacy_file_pair.hpp"
#include "platform/text_file.hpp"
#include "support/literal_reference.hpp"

namespace cvn::fuzz {
namespace {

// The kernels read whole blocks: the table and the alive bits are padded as the pairing pads them.
void checkScans(std::string_view bytes, int16_t threshold, uint8_t split) {
  using namespace similarity_detail;
  const size_t entries = bytes.size() / kCoarseBytes;
  if (entries == 0) return;
  std::vector<uint8_t> table((entries + kScanPadEntries) * kCoarseBytes, 0);
  std::copy_n(bytes.begin(), entries * kCoarseBytes, table.begin());
  std::vector<uint64_t> alive((entries + kScanPadEntries) / 64 + 2, 0);
  for (size_t k = 0; k < entries; ++k) alive[k / 64] |= uint64_t{(bytes[k] & 3) != 0} << k % 64;
  const uint8_t* probe = table.data() + split % entries * kCoarseBytes;
  const int limit = std::clamp<int>(threshold, 0, 32767);
  const size_t from = split % (entries + 1);
  const size_t expected = coarseScanScalar(table.data(), alive.data(), from, entries, probe, limit);
  for (const CoarseScan scan : supportedCoarseScans()) {
    CVN_FUZZ_CHECK(scan(table.data(), alive.data(), from, entries, probe, limit) == expected);
  }
}

void run(Input& in) {
  static const test::MarkerTexts kPresets[] = {
      {u"//", u"/*", u"*/"},     {u"#", u"", u""},        {u"--", u"{", u"}"},
      {u"", u"/*", u""},         {u"//", u"/*", u"/*"},   {u"\u00E9", u"\u20AC", u"\r"},
      {u"\u0100", u"/*", u"*/"}, {u"'", u"<!--", u"-->"}, {u"", u"", u""},
      {u"a", u"b", u"c"}};
  const int16_t threshold = in.threshold();
  const uint8_t preset = in.byte();
  test::MarkerTexts m = kPresets[preset % std::size(kPresets)];
  if (preset >= 0xC0) m = {in.text(3), in.text(3), in.text(3)};
  const uint8_t split = in.byte();
  const std::string_view bytes = in.rest();
  const std::string_view bytesOne = bytes.substr(0, bytes.size() * split / 255);
  const std::string_view bytesTwo = bytes.substr(bytes.size() * split / 255);
  const std::vector<std::string_view> one = splitLines(bytesOne);
  const std::vector<std::string_view> two = splitLines(bytesTwo);
  std::vector<std::u16string> textOne, textTwo;
  for (std::string_view line : one) textOne.push_back(decodeCp1252(line));
  for (std::string_view line : two) textTwo.push_back(decodeCp1252(line));
  ComparerState state{1, m.comment, m.begin, m.end, threshold};
  state.folding = {(split & 1) != 0, (split & 2) != 0};
  const FilePairCounts literal =
      test::literalCompare(textOne, textTwo, m, threshold, state.folding);
  CVN_FUZZ_CHECK(compareLines(one, two, state) == literal);
  CVN_FUZZ_CHECK(compareTexts(bytesOne, bytesTwo, state) == literal);
  const LegacyCounts legacy = legacyCompareLines(one, two, state);
  // The legacy pairing compares whole lines, folded as asked.
  for (auto* text : {&textOne, &textTwo}) {
    for (std::u16string& line : *text) line = test::literalFold(line, state.folding);
  }
  // The legacy test itself on small files; its equal, faster twin on large ones.
  const bool small = textOne.size() * textTwo.size() <= 1024;
  const auto similar = [&](const std::u16string& a, const std::u16string& b) {
    return small ? determineChangedLine_old(a, b, threshold) == 1
                 : determineChangedLine(a, b, threshold) != 0;
  };
  CVN_FUZZ_CHECK((test::LegacyPairing{legacy.same, legacy.changed, legacy.deleted, legacy.added}) ==
                 test::literalLegacyPairing(textOne, textTwo, similar));
  checkScans(bytes, threshold, split);
}

}  // namespace
}  // namespace cvn::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  cvn::fuzz::Input in(data, size);
  cvn::fuzz::run(in);
  return 0;
}
