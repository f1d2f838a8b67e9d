// Both changed-line tests on random lines: symmetric; the same answer wherever
// no two characters share a code; determineChangedLine equal to the character
// distance of the lines' bytes, which the fast pairing uses.
//
// Input: a threshold (one byte, or 0xF0 and up then two), a split byte, then
// characters (one byte each, see Input::character) cut into two lines; the
// same bytes, raw, make a pair of byte lines.

#include <cstdint>
#include <set>
#include <string>

#include "engine/changed_line.hpp"
#include "engine/similarity_pairing.hpp"
#include "fuzz_input.hpp"
#include "platform/codepage.hpp"

namespace cvn::fuzz {
namespace {

std::string describe(std::u16string_view a, std::u16string_view b, int16_t threshold) {
  return show(a) + " / " + show(b) + " threshold " + std::to_string(threshold);
}

// True when no two different characters of the lines share an 8-bit code.
bool distinctCodes(std::u16string_view a, std::u16string_view b) {
  std::set<char16_t> characters(a.begin(), a.end());
  characters.insert(b.begin(), b.end());
  std::set<unsigned char> codes;
  for (char16_t ch : characters) codes.insert(cp1252CodeOf(ch));
  return codes.size() == characters.size();
}

void checkPair(std::u16string_view a, std::u16string_view b, int16_t threshold) {
  // Built only when a check fails.
  const auto what = [&] { return describe(a, b, threshold); };
  const int16_t current = determineChangedLine(a, b, threshold);
  const int16_t earlier = determineChangedLine_old(a, b, threshold);
  CVN_FUZZ_CHECK(current == 0 || current == -1, what());
  CVN_FUZZ_CHECK(earlier == 0 || earlier == 1, what());
  CVN_FUZZ_CHECK(determineChangedLine(b, a, threshold) == current, what());
  CVN_FUZZ_CHECK(determineChangedLine_old(b, a, threshold) == earlier, what());
  if (distinctCodes(a, b)) CVN_FUZZ_CHECK((current == -1) == (earlier == 1), what());
  if (threshold < 0) CVN_FUZZ_CHECK(current == 0 && earlier == 0, what());
  if (a == b && threshold >= 0) CVN_FUZZ_CHECK(current == -1 && earlier == 1, what());
  if (static_cast<int64_t>(a.size() + b.size()) <= threshold) {
    CVN_FUZZ_CHECK(current == -1 && earlier == 1, what());
  }
  // The characters' codes are what the byte distance counts.
  const int64_t distance = characterDistance(encodeCp1252Lossy(a), encodeCp1252Lossy(b));
  CVN_FUZZ_CHECK((current == -1) == (distance <= threshold), what());
}

void checkBytes(std::string_view x, std::string_view y, int16_t threshold) {
  const auto what = [&] {
    return show(x) + " / " + show(y) + " threshold " + std::to_string(threshold);
  };
  const int64_t distance = characterDistance(x, y);
  const auto lengths = static_cast<int64_t>(x.size() + y.size());
  CVN_FUZZ_CHECK(distance == characterDistance(y, x), what());
  CVN_FUZZ_CHECK(distance <= lengths && distance % 2 == lengths % 2, what());
  const auto gap = static_cast<int64_t>(x.size()) - static_cast<int64_t>(y.size());
  CVN_FUZZ_CHECK(distance >= (gap < 0 ? -gap : gap), what());
  // Decoding is one-to-one: both tests agree with the byte distance on file text.
  const std::u16string a = decodeCp1252(x);
  const std::u16string b = decodeCp1252(y);
  CVN_FUZZ_CHECK((determineChangedLine(a, b, threshold) == -1) == (distance <= threshold), what());
  CVN_FUZZ_CHECK((determineChangedLine_old(a, b, threshold) == 1) == (distance <= threshold),
                 what());
}

void run(Input& in) {
  const int16_t threshold = in.threshold();
  const uint8_t split = in.byte();
  const std::string_view raw = in.rest();
  Input chars(reinterpret_cast<const uint8_t*>(raw.data()), raw.size());
  std::u16string line;
  while (!chars.empty()) line += chars.character();
  const size_t cut = line.size() * split / 255;
  checkPair(std::u16string_view(line).substr(0, cut), std::u16string_view(line).substr(cut),
            threshold);
  const size_t byteCut = raw.size() * split / 255;
  checkBytes(raw.substr(0, byteCut), raw.substr(byteCut), threshold);
}

}  // namespace
}  // namespace cvn::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  cvn::fuzz::Input in(data, size);
  cvn::fuzz::run(in);
  return 0;
}
