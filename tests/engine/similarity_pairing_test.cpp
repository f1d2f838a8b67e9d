#include "engine/similarity_pairing.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "engine/similarity_kernels.hpp"
#include "platform/error.hpp"

namespace cvn {
namespace {

// The literal definition, kept independent of the library. The counts are
// cleared as they are summed, so only the bytes of the two lines are visited.
int64_t referenceDistance(std::string_view a, std::string_view b) {
  static std::array<int64_t, 256> counts{};
  for (unsigned char c : a) ++counts[c];
  for (unsigned char c : b) --counts[c];
  int64_t sum = 0;
  for (std::string_view line : {a, b}) {
    for (unsigned char c : line) {
      sum += std::abs(counts[c]);
      counts[c] = 0;
    }
  }
  return sum;
}

// Skipping pairs whose lengths differ by more than the threshold changes nothing
// (the distance is at least that difference) and keeps the big cases quick.
std::vector<LinePair> referencePairs(const std::vector<std::string_view>& oldLines,
                                     const std::vector<std::string_view>& newLines,
                                     std::vector<uint8_t>& newPaired, int threshold) {
  std::vector<LinePair> pairs;
  if (threshold < 0) return pairs;
  for (size_t i = 0; i < oldLines.size(); ++i) {
    for (size_t j = 0; j < newLines.size(); ++j) {
      if (newPaired[j] != 0) continue;
      const auto a = static_cast<int64_t>(oldLines[i].size());
      const auto b = static_cast<int64_t>(newLines[j].size());
      if (std::abs(a - b) > threshold) continue;
      if (referenceDistance(oldLines[i], newLines[j]) <= threshold) {
        pairs.push_back({static_cast<int32_t>(i), static_cast<int32_t>(j)});
        newPaired[j] = 1;
        break;
      }
    }
  }
  return pairs;
}

std::vector<std::string_view> views(const std::vector<std::string>& lines) {
  return {lines.begin(), lines.end()};
}

// Runs both and compares the pairs, in order, and the final flags.
void expectSameAsReference(const std::vector<std::string>& oldText,
                           const std::vector<std::string>& newText,
                           const std::vector<uint8_t>& paired, int threshold) {
  const std::vector<std::string_view> oldLines = views(oldText);
  const std::vector<std::string_view> newLines = views(newText);
  std::vector<uint8_t> expectedPaired = paired;
  const std::vector<LinePair> expected =
      referencePairs(oldLines, newLines, expectedPaired, threshold);
  std::vector<uint8_t> actualPaired = paired;
  const std::vector<LinePair> actual =
      pairSimilarLines(oldLines, newLines, actualPaired, static_cast<int16_t>(threshold));
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t p = 0; p < expected.size(); ++p) {
    ASSERT_EQ(actual[p].oldIndex, expected[p].oldIndex) << "pair " << p;
    ASSERT_EQ(actual[p].newIndex, expected[p].newIndex) << "pair " << p;
  }
  ASSERT_EQ(actualPaired, expectedPaired);
}

// Random lines over a chosen alphabet; new lines are often small edits of old
// ones so that distances cluster around the threshold.
class LineMaker {
 public:
  explicit LineMaker(uint64_t seed) : rng_(seed) {}

  size_t below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
  bool chance(int percent) { return below(100) < static_cast<size_t>(percent); }

  void pickAlphabet() {
    alphabet_.clear();
    switch (below(5)) {
      case 0:  // two or three letters: many duplicates and anagrams
        alphabet_ = below(2) == 0 ? "ab" : "abc";
        break;
      case 1:  // sixteen values or fewer, with NUL and high bytes
        for (size_t i = 0, n = 4 + below(13); i < n; ++i) alphabet_.push_back(anyByte());
        break;
      case 2:  // a few more than sixteen
        for (size_t i = 0, n = 17 + below(30); i < n; ++i) alphabet_.push_back(anyByte());
        break;
      case 3:  // more than sixty-four
        for (size_t i = 0, n = 65 + below(150); i < n; ++i) alphabet_.push_back(anyByte());
        break;
      default:  // every byte
        for (int v = 0; v < 256; ++v) alphabet_.push_back(static_cast<char>(v));
        break;
    }
  }

  void useAlphabet(std::string alphabet) { alphabet_ = std::move(alphabet); }

  std::string line(size_t maxLength, bool mayBeLong = true) {
    if (mayBeLong && chance(2)) return longLine();
    std::string s(below(maxLength + 1), '\0');
    for (char& c : s) c = alphabet_[below(alphabet_.size())];
    return s;
  }

  // More than 255 of one byte, so clipped counts are exercised.
  std::string longLine() {
    std::string s(250 + below(30), alphabet_[below(alphabet_.size())]);
    for (size_t i = 0, n = below(8); i < n; ++i)
      s[below(s.size())] = alphabet_[below(alphabet_.size())];
    return s;
  }

  std::string edited(std::string s, size_t edits) {
    for (size_t e = 0; e < edits; ++e) {
      const char c = alphabet_[below(alphabet_.size())];
      switch (below(3)) {
        case 0:
          s.insert(s.begin() + static_cast<ptrdiff_t>(below(s.size() + 1)), c);
          break;
        case 1:
          if (!s.empty()) s.erase(s.begin() + static_cast<ptrdiff_t>(below(s.size())));
          break;
        default:
          if (!s.empty()) s[below(s.size())] = c;
          break;
      }
    }
    return s;
  }

 private:
  char anyByte() {
    const size_t r = below(4);
    if (r == 0) return '\0';
    if (r == 1) return static_cast<char>(0x80 + below(128));
    return static_cast<char>(below(256));
  }

  std::mt19937_64 rng_;
  std::string alphabet_;
};

void randomCase(LineMaker& make, size_t maxLines, size_t maxLength) {
  make.pickAlphabet();
  const size_t n = make.below(maxLines + 1);
  const size_t m = make.below(maxLines + 1);
  std::vector<std::string> oldText;
  for (size_t i = 0; i < n; ++i) oldText.push_back(make.line(maxLength));
  std::vector<std::string> newText;
  for (size_t j = 0; j < m; ++j) {
    if (!oldText.empty() && make.chance(60)) {
      newText.push_back(make.edited(oldText[make.below(oldText.size())], make.below(12)));
    } else {
      newText.push_back(make.line(maxLength));
    }
  }
  std::vector<uint8_t> paired(m, 0);
  const int markPercent = make.chance(50) ? 0 : static_cast<int>(make.below(90));
  for (uint8_t& p : paired) p = make.chance(markPercent) ? 1 : 0;
  int threshold = static_cast<int>(make.below(43)) - 1;
  if (make.chance(3)) threshold = make.chance(50) ? 32767 : 300 + static_cast<int>(make.below(500));
  SCOPED_TRACE(testing::Message() << "n=" << n << " m=" << m << " threshold=" << threshold);
  expectSameAsReference(oldText, newText, paired, threshold);
}

TEST(SimilarityPairing, RandomSmallCasesMatchLiteralScan) {
  LineMaker make(0x5eed0001);
  for (int c = 0; c < 3000; ++c) {
    SCOPED_TRACE(c);
    randomCase(make, 12, 12);
    if (testing::Test::HasFatalFailure()) return;
  }
}

TEST(SimilarityPairing, RandomMediumCasesMatchLiteralScan) {
  LineMaker make(0x5eed0002);
  for (int c = 0; c < 1500; ++c) {
    SCOPED_TRACE(c);
    randomCase(make, c % 10 == 0 ? 300 : 60, 40);
    if (testing::Test::HasFatalFailure()) return;
  }
}

// Big enough for many length buckets per old line, several position windows and
// compaction of paired entries.
TEST(SimilarityPairing, LargeCasesMatchLiteralScan) {
  LineMaker make(0x5eed0003);
  const std::array<int, 4> thresholds = {2, 6, 12, 25};
  for (int c = 0; c < 4; ++c) {
    make.pickAlphabet();
    const size_t maxLength = c % 2 == 0 ? 20 : 60;
    std::vector<std::string> oldText;
    for (size_t i = 0; i < 3000; ++i) oldText.push_back(make.line(maxLength));
    std::vector<std::string> newText;
    for (size_t j = 0; j < 3000; ++j) {
      newText.push_back(make.chance(70) ? make.edited(oldText[make.below(3000)], make.below(8))
                                        : make.line(maxLength));
    }
    std::vector<uint8_t> paired(newText.size(), 0);
    for (uint8_t& p : paired) p = make.chance(10) ? 1 : 0;
    SCOPED_TRACE(c);
    expectSameAsReference(oldText, newText, paired, thresholds[static_cast<size_t>(c)]);
  }
}

// A few lengths, rare matches placed anywhere: old lines search through several
// position windows of several buckets.
TEST(SimilarityPairing, ManyWindowsMatchLiteralScan) {
  LineMaker make(0x5eed0007);
  make.useAlphabet("abcdefghijklmnopqrstuvwxyz");
  for (int threshold : {1, 3}) {
    std::vector<std::string> oldText;
    while (oldText.size() < 1000) {
      std::string s = make.line(14);
      if (s.size() >= 10) oldText.push_back(std::move(s));
    }
    std::vector<std::string> newText;
    while (newText.size() < 3000) {
      std::string s = make.chance(15) ? make.edited(oldText[make.below(1000)], 1) : make.line(14);
      if (s.size() >= 9) newText.push_back(std::move(s));
    }
    std::vector<uint8_t> paired(newText.size(), 0);
    for (uint8_t& p : paired) p = make.chance(5) ? 1 : 0;
    expectSameAsReference(oldText, newText, paired, threshold);
  }
}

// Short old lines reach every new line (each takes the first unpaired one) while
// long ones search, pass over many lines and compact the buckets in between.
TEST(SimilarityPairing, ReachAllLinesMixedWithSearches) {
  LineMaker make(0x5eed0008);
  for (int c = 0; c < 20; ++c) {
    make.useAlphabet("abcdefgh");
    std::vector<std::string> newText;
    for (int j = 0; j < 600; ++j) newText.push_back(make.line(50, false));
    std::vector<std::string> oldText;
    for (int i = 0; i < 600; ++i) {
      if (i % 4 == 3) {
        oldText.push_back(make.edited(std::string(45 + make.below(6), 'a'), make.below(10)));
      } else {
        oldText.push_back(make.line(10, false));
      }
    }
    std::vector<uint8_t> paired(newText.size(), 0);
    for (uint8_t& p : paired) p = make.chance(10) ? 1 : 0;
    SCOPED_TRACE(c);
    expectSameAsReference(oldText, newText, paired, 50 + c / 2);
  }
}

// Equal lengths: one bucket, long scans; most old lines pair late or never.
TEST(SimilarityPairing, SingleLengthManyLinesMatchLiteralScan) {
  LineMaker make(0x5eed0004);
  const char* hex = "0123456789abcdef";
  auto line = [&] {
    std::string s = "x_";
    for (int i = 0; i < 12; ++i) s.push_back(hex[make.below(16)]);
    return s;
  };
  for (int threshold : {4, 8}) {
    std::vector<std::string> oldText;
    std::vector<std::string> newText;
    for (int i = 0; i < 2000; ++i) oldText.push_back(line());
    for (int i = 0; i < 2000; ++i) newText.push_back(line());
    expectSameAsReference(oldText, newText, std::vector<uint8_t>(newText.size(), 0), threshold);
  }
}

TEST(SimilarityPairing, EmptyInputs) {
  std::vector<std::string_view> none;
  std::vector<std::string_view> some = {"a", "b"};
  std::vector<uint8_t> noFlags;
  std::vector<uint8_t> flags(2, 0);
  EXPECT_TRUE(pairSimilarLines(none, none, noFlags, 5).empty());
  EXPECT_TRUE(pairSimilarLines(some, none, noFlags, 5).empty());
  EXPECT_TRUE(pairSimilarLines(none, some, flags, 5).empty());
  EXPECT_EQ(flags, std::vector<uint8_t>(2, 0));
}

TEST(SimilarityPairing, NegativeThresholdPairsNothing) {
  std::vector<std::string_view> lines = {"same", "same", ""};
  std::vector<uint8_t> flags(3, 0);
  EXPECT_TRUE(pairSimilarLines(lines, lines, flags, -1).empty());
  EXPECT_TRUE(pairSimilarLines(lines, lines, flags, -32768).empty());
  EXPECT_EQ(flags, std::vector<uint8_t>(3, 0));
}

TEST(SimilarityPairing, IdenticalLinesPairInOrder) {
  std::vector<std::string> text;
  for (int i = 0; i < 100; ++i) text.push_back("line " + std::to_string(i % 7));
  const std::vector<std::string_view> lines = views(text);
  std::vector<uint8_t> flags(lines.size(), 0);
  const std::vector<LinePair> pairs = pairSimilarLines(lines, lines, flags, 0);
  ASSERT_EQ(pairs.size(), lines.size());
  for (size_t i = 0; i < pairs.size(); ++i) EXPECT_EQ(pairs[i], (LinePair{int32_t(i), int32_t(i)}));
  EXPECT_EQ(flags, std::vector<uint8_t>(lines.size(), 1));
}

TEST(SimilarityPairing, AllAlreadyPaired) {
  std::vector<std::string> text(50, "abc");
  const std::vector<std::string_view> lines = views(text);
  std::vector<uint8_t> flags(lines.size(), 1);
  EXPECT_TRUE(pairSimilarLines(lines, lines, flags, 10).empty());
  EXPECT_EQ(flags, std::vector<uint8_t>(lines.size(), 1));
}

TEST(SimilarityPairing, OrderOfBytesDoesNotCount) {
  std::vector<std::string_view> oldLines = {"abc", "x = 1;"};
  std::vector<std::string_view> newLines = {"abd", "cba", "x =1; "};
  std::vector<uint8_t> flags(3, 0);
  const std::vector<LinePair> pairs = pairSimilarLines(oldLines, newLines, flags, 0);
  EXPECT_EQ(pairs, (std::vector<LinePair>{{0, 1}, {1, 2}}));
  EXPECT_EQ(flags, (std::vector<uint8_t>{0, 1, 1}));
}

// The first unpaired line within the threshold wins, not the closest one.
TEST(SimilarityPairing, FirstWithinThresholdWinsOverClosest) {
  std::vector<std::string_view> oldLines = {"abcdef", "abcdef"};
  std::vector<std::string_view> newLines = {"zzzzzz", "abcxyz", "abcdeX", "abcdef"};
  std::vector<uint8_t> flags(4, 0);
  const std::vector<LinePair> pairs = pairSimilarLines(oldLines, newLines, flags, 6);
  EXPECT_EQ(pairs, (std::vector<LinePair>{{0, 1}, {1, 2}}));
}

TEST(SimilarityPairing, LongRunsOfOneByteAreCountedExactly) {
  const std::string run300(300, 'a');
  const std::string run260(260, 'a');
  const std::string run299(299, 'a');
  std::vector<std::string> oldText(40, run300);
  std::vector<std::string> newText = {run260, run299, run260, run300};
  for (int i = 0; i < 40; ++i) newText.push_back(std::string(256 + i, 'a'));
  expectSameAsReference(oldText, newText, std::vector<uint8_t>(newText.size(), 0), 39);
  expectSameAsReference(oldText, newText, std::vector<uint8_t>(newText.size(), 0), 40);
}

TEST(SimilarityPairing, NulAndHighBytesAreOrdinaryBytes) {
  using namespace std::string_literals;
  std::vector<std::string> oldText = {"\0\0a"s, "\xff\x80 x"s, "\0"s};
  std::vector<std::string> newText = {"a\0"s, "\0a\0"s, "x\x80\xff "s, ""s};
  for (int t = 0; t <= 2; ++t) {
    expectSameAsReference(oldText, newText, std::vector<uint8_t>(newText.size(), 0), t);
  }
  std::vector<std::string> bigOld(30, "\0\0a"s);
  std::vector<std::string> bigNew(30, "a\0\0"s);
  expectSameAsReference(bigOld, bigNew, std::vector<uint8_t>(bigNew.size(), 0), 0);
}

TEST(SimilarityPairing, LargeThresholdTakesFirstUnpaired) {
  std::vector<std::string> oldText;
  std::vector<std::string> newText;
  for (int i = 0; i < 30; ++i) oldText.push_back(std::string(static_cast<size_t>(i * 37), 'q'));
  for (int i = 0; i < 30; ++i) newText.push_back(std::string(static_cast<size_t>(i * 11), 'r'));
  std::vector<uint8_t> flags(newText.size(), 0);
  flags[0] = 1;
  flags[5] = 1;
  expectSameAsReference(oldText, newText, flags, 32767);
}

TEST(SimilarityPairing, MismatchedFlagsAreRefused) {
  std::vector<std::string_view> lines = {"a", "b"};
  std::vector<uint8_t> flags(1, 0);
  try {
    pairSimilarLines(lines, lines, flags, 1);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), kInvalidArgument);
  }
}

TEST(SimilarityPairing, CharacterDistanceCountsBytes) {
  using namespace std::string_literals;
  EXPECT_EQ(characterDistance("", ""), 0);
  EXPECT_EQ(characterDistance("abc", "cab"), 0);
  EXPECT_EQ(characterDistance("abc", "abd"), 2);
  EXPECT_EQ(characterDistance("\0"s, ""), 1);
  EXPECT_EQ(characterDistance(std::string(300, 'a'), "b"), 301);
}

// Every scan kernel agrees with the portable one on every range.
TEST(SimilarityKernels, CoarseScanMatchesScalar) {
  namespace sd = similarity_detail;
  std::mt19937_64 rng(0x5eed0005);
  const size_t entries = 200;
  std::vector<uint8_t> table((entries + sd::kScanPadEntries) * sd::kCoarseBytes, 0);
  std::vector<uint64_t> alive((entries + sd::kScanPadEntries) / 64 + 2, 0);
  std::array<uint8_t, sd::kCoarseBytes> probe{};
  const std::vector<sd::CoarseScan> scans = sd::supportedCoarseScans();
  ASSERT_FALSE(scans.empty());
  EXPECT_EQ(scans.front(), sd::coarseScan());
  for (int round = 0; round < 300; ++round) {
    const unsigned spread = round % 3 == 0 ? 255 : 3;
    for (size_t i = 0; i < entries * sd::kCoarseBytes; ++i)
      table[i] = uint8_t(rng() % (spread + 1));
    for (uint8_t& p : probe) p = uint8_t(rng() % (spread + 1));
    std::fill(alive.begin(), alive.end(), 0);
    for (size_t k = 0; k < entries; ++k) {
      if (rng() % 4 != 0) alive[k >> 6] |= uint64_t{1} << (k & 63);
    }
    for (int q = 0; q < 20; ++q) {
      const size_t from = rng() % (entries + 1);
      const size_t to = from + rng() % (entries - from + 1);
      const int limit = round % 7 == 0 ? int(rng() % 32768) : int(rng() % 40);
      const size_t expected =
          sd::coarseScanScalar(table.data(), alive.data(), from, to, probe.data(), limit);
      for (sd::CoarseScan scan : scans) {
        EXPECT_EQ(scan(table.data(), alive.data(), from, to, probe.data(), limit), expected);
      }
    }
  }
}

TEST(SimilarityKernels, SumAbsDiff) {
  std::mt19937_64 rng(0x5eed0006);
  std::array<uint8_t, 64> a{};
  std::array<uint8_t, 64> b{};
  for (int round = 0; round < 100; ++round) {
    for (size_t i = 0; i < 64; ++i) {
      a[i] = uint8_t(rng());
      b[i] = uint8_t(rng());
    }
    for (size_t n : {16, 32, 64}) {
      uint32_t expected = 0;
      for (size_t i = 0; i < n; ++i) expected += uint32_t(std::abs(int{a[i]} - int{b[i]}));
      EXPECT_EQ(similarity_detail::sumAbsDiff(a.data(), b.data(), n), expected);
    }
  }
}

}  // namespace
}  // namespace cvn
