#include "engine/similarity_pairing.hpp"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "engine/changed_line.hpp"
#include "engine/similarity_kernels.hpp"
#include "platform/codepage.hpp"

namespace cvn {
namespace {

// The pairs, in the order made, and the final flags equal those of the literal scan.
void expectLiteral(const std::vector<std::string>& one, const std::vector<std::string>& two,
                   std::vector<uint8_t> paired, int16_t threshold) {
  std::vector<uint8_t> literalPaired = paired;
  std::vector<LinePair> literal;
  std::vector<std::u16string> b;
  for (const std::string& line : two) b.push_back(decodeCp1252(line));
  for (size_t i = 0; i < one.size(); ++i) {
    const std::u16string a = decodeCp1252(one[i]);
    for (size_t j = 0; j < b.size(); ++j) {
      if (literalPaired[j] == 0 && std::abs(int(a.size()) - int(b[j].size())) <= threshold &&
          determineChangedLine(a, b[j], threshold) != 0) {
        literal.push_back({int32_t(i), int32_t(j)});
        literalPaired[j] = 1;
        break;
      }
    }
  }
  const std::vector<std::string_view> oldLines(one.begin(), one.end()),
      newLines(two.begin(), two.end());
  ASSERT_EQ(pairSimilarLines(oldLines, newLines, paired, threshold), literal);
  ASSERT_EQ(paired, literalPaired);
}

// Random lines over 2 to 256 byte values, sometimes with more than 255 of one byte.
struct Maker {
  std::mt19937_64 rng;
  std::string alphabet;
  size_t below(size_t n) { return rng() % n; }
  char any() { return alphabet[below(alphabet.size())]; }
  void pickAlphabet() {
    alphabet.assign(std::vector<size_t>{2, 3, 12, 16, 17, 40, 70, 256}[below(8)], '\0');
    for (char& c : alphabet) c = static_cast<char>(below(4) == 0 ? 0x80 + below(128) : below(256));
    if (alphabet.size() == 256) std::iota(alphabet.begin(), alphabet.end(), '\0');  // every byte
  }
  std::string line(size_t minLength, size_t maxLength) {
    std::string s(minLength + below(maxLength - minLength + 1), '\0');
    for (char& c : s) c = any();
    if (below(50) == 0) s.append(250 + below(30), any());
    return s;
  }
  std::string edited(std::string s, size_t edits) {
    while (edits-- > 0) {
      const size_t at = below(s.size() + 1), how = at == s.size() ? 0 : below(3);
      if (how == 0) s.insert(at, 1, any());
      if (how == 1) s.erase(at, 1);
      if (how == 2) s[at] = any();
    }
    return s;
  }
  // New lines are old ones edited, or not, at random places; some are paired already.
  void run(size_t oldCount, size_t newCount, size_t minLength, size_t maxLength, int16_t threshold,
           size_t editedPercent = 60, size_t edits = 12) {
    std::vector<std::string> one, two;
    while (one.size() < oldCount) one.push_back(line(minLength, maxLength));
    while (two.size() < newCount) {
      std::string s = below(100) < editedPercent && !one.empty()
                          ? edited(one[below(one.size())], below(edits + 1))
                          : line(minLength, maxLength);
      if (s.size() + 1 >= minLength) two.push_back(std::move(s));
    }
    expectLiteral(one, two, flags(newCount), threshold);
  }
  // Half the time none, else a random share of new lines already paired.
  std::vector<uint8_t> flags(size_t n) {
    std::vector<uint8_t> paired(n);
    const size_t percent = below(2) * below(90);
    for (uint8_t& p : paired) p = below(100) < percent;
    return paired;
  }
};

// Few lines (no index) to hundreds (buckets, windows, compaction); thresholds -1 to 32767.
TEST(SimilarityPairing, EqualsTheLiteralScan) {
  Maker make{std::mt19937_64(0x5eed), {}};
  for (int c = 0; c < 4000 && !HasFatalFailure(); ++c) {
    const size_t lines = c % 50 == 0 ? 400 : c % 2 == 0 ? 12 : 60;
    const int16_t t = c % 40 == 0   ? 32767
                      : c % 40 == 1 ? 300
                                    : static_cast<int16_t>(make.below(43) - 1);
    SCOPED_TRACE(c);
    make.pickAlphabet();
    make.run(make.below(lines + 1), make.below(lines + 1), 0, c % 3 == 0 ? 12 : 40, t);
  }
}

// Thousands of lines: rare matches among few lengths walk every window; one length makes one
// bucket; short old lines that reach every new line alternate with long ones that compact.
TEST(SimilarityPairing, LargeCasesEqualTheLiteralScan) {
  Maker make{std::mt19937_64(0x5eed2), "abcdefghijklmnopqrstuvwxyz"};
  for (int16_t t : {1, 3}) make.run(600, 2000, 10, 14, t, 15, 1);
  make.alphabet = "0123456789abcdef";
  make.run(1200, 1200, 14, 14, 6, 0);
  make.pickAlphabet();
  make.run(1000, 1500, 0, 20, 12);
  make.alphabet = "abcdefgh";
  for (int16_t t = 50; t < 60; ++t) {
    std::vector<std::string> one, two;
    for (size_t i = 1; i <= 600; ++i) {
      two.push_back(make.line(0, 50));
      one.push_back(i % 4 ? make.line(0, 10) : make.edited(std::string(45, 'a'), make.below(10)));
    }
    expectLiteral(one, two, make.flags(600), t);
  }
}

// Every scan kernel the processor has finds what the portable scan finds.
TEST(SimilarityKernels, EachScanEqualsTheScalarOne) {
  namespace sd = similarity_detail;
  std::mt19937_64 rng(0x5eed3);
  const size_t entries = 200;
  std::vector<uint8_t> table((entries + sd::kScanPadEntries) * sd::kCoarseBytes);
  std::vector<uint64_t> alive((entries + sd::kScanPadEntries) / 64 + 2);
  const std::vector<sd::CoarseScan> scans = sd::supportedCoarseScans();
  EXPECT_EQ(scans.front(), sd::coarseScan());
  for (int round = 0; round < 300; ++round) {
    const unsigned spread = round % 3 == 0 ? 256 : 4;
    for (size_t i = 0; i < entries * sd::kCoarseBytes; ++i) table[i] = uint8_t(rng() % spread);
    const uint8_t* probe = &table[rng() % entries * sd::kCoarseBytes];
    std::fill(alive.begin(), alive.end(), 0);
    for (size_t k = 0; k < entries; ++k) alive[k / 64] |= uint64_t{rng() % 4 != 0} << k % 64;
    for (int q = 0; q < 20; ++q) {
      const size_t from = rng() % (entries + 1), to = from + rng() % (entries - from + 1);
      const int limit = round % 7 == 0 ? int(rng() % 32768) : int(rng() % 40);
      const size_t expected =
          sd::coarseScanScalar(table.data(), alive.data(), from, to, probe, limit);
      for (sd::CoarseScan scan : scans) {
        ASSERT_EQ(scan(table.data(), alive.data(), from, to, probe, limit), expected);
      }
    }
  }
}

}  // namespace
}  // namespace cvn
