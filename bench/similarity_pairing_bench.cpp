#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "engine/similarity_pairing.hpp"

namespace {

struct Case {
  std::vector<std::string> oldText;
  std::vector<std::string> newText;
  std::vector<std::string_view> oldLines;
  std::vector<std::string_view> newLines;

  void finish() {
    oldLines.assign(oldText.begin(), oldText.end());
    newLines.assign(newText.begin(), newText.end());
  }
};

std::string hexLine(std::mt19937_64& rng) {
  const char* hex = "0123456789abcdef";
  std::string s = "    x_";
  for (int i = 0; i < 12; ++i) s.push_back(hex[rng() % 16]);
  s += " = ";
  for (int i = 0; i < 16; ++i) s.push_back(hex[rng() % 16]);
  s += ';';
  return s;
}

// 20,000 old and 20,000 other new assignments of random hex: equal lengths,
// nothing identical.
const Case& hexCase() {
  static const Case c = [] {
    Case k;
    std::mt19937_64 rng(20240601);
    for (int i = 0; i < 20000; ++i) k.oldText.push_back(hexLine(rng));
    for (int i = 0; i < 20000; ++i) k.newText.push_back(hexLine(rng));
    k.finish();
    return k;
  }();
  return c;
}

// Source-like lines built from a fixed vocabulary.
class SourceMaker {
 public:
  explicit SourceMaker(uint64_t seed) : rng_(seed) {
    for (int i = 0; i < 400; ++i) {
      std::string w;
      const size_t n = 3 + rng_() % 9;
      for (size_t c = 0; c < n; ++c) w.push_back(static_cast<char>('a' + rng_() % 26));
      if (rng_() % 4 == 0) w[rng_() % n] = '_';
      if (rng_() % 4 == 0) w[0] = static_cast<char>(w[0] - 'a' + 'A');
      words_.push_back(w);
    }
  }

  const std::string& word() { return words_[rng_() % words_.size()]; }

  std::string line() {
    std::string s(2 * (rng_() % 6), ' ');
    switch (rng_() % 7) {
      case 0:
        s += "if (" + word() + " < " + word() + ") {";
        break;
      case 1:
        s += word() + " = " + word() + "(" + word() + ", " + word() + ");";
        break;
      case 2:
        s += "return " + word() + "->" + word() + ";";
        break;
      case 3:
        s += "for (int " + word() + " = 0; " + word() + " < " + word() + "; ++i) {";
        break;
      case 4:
        s += "// " + word() + " " + word() + " " + word() + " " + word();
        break;
      case 5:
        s += "const auto " + word() + " = " + word() + "." + word() + "();";
        break;
      default:
        s += word() + "(" + word() + " + " + std::to_string(rng_() % 1000) + ");";
        break;
    }
    return s;
  }

  // The line with one word replaced by another.
  std::string replaceWord(const std::string& s) {
    for (int attempt = 0; attempt < 20; ++attempt) {
      const std::string& w = words_[rng_() % words_.size()];
      const size_t at = s.find(w);
      if (at != std::string::npos) return s.substr(0, at) + word() + s.substr(at + w.size());
    }
    // Fall back to the first word of letters.
    const size_t b = s.find_first_not_of(' ');
    size_t e = b;
    while (e < s.size() && (std::isalnum(static_cast<unsigned char>(s[e])) || s[e] == '_')) ++e;
    return s.substr(0, b) + word() + s.substr(e);
  }

  // A twin at distance 1 to 3: an inserted byte, a replaced one, or both.
  std::string twin(std::string s) {
    const char c = static_cast<char>('a' + rng_() % 26);
    switch (rng_() % 3) {
      case 0:
        s.insert(s.begin() + static_cast<ptrdiff_t>(rng_() % (s.size() + 1)), c);
        break;
      case 1:
        s[rng_() % s.size()] = '#';
        break;
      default:
        s[rng_() % s.size()] = '#';
        s.insert(s.begin() + static_cast<ptrdiff_t>(rng_() % (s.size() + 1)), c);
        break;
    }
    return s;
  }

  std::mt19937_64& rng() { return rng_; }

 private:
  std::mt19937_64 rng_;
  std::vector<std::string> words_;
};

// 2,000 source lines, each against itself with one word replaced, shuffled.
const Case& changedWordsCase() {
  static const Case c = [] {
    Case k;
    SourceMaker make(77);
    for (int i = 0; i < 2000; ++i) k.oldText.push_back(make.line());
    for (const std::string& s : k.oldText) k.newText.push_back(make.replaceWord(s));
    std::shuffle(k.newText.begin(), k.newText.end(), make.rng());
    k.finish();
    return k;
  }();
  return c;
}

// 20,000 source lines, each with a twin at distance 1 to 3, shuffled.
const Case& twinsCase() {
  static const Case c = [] {
    Case k;
    SourceMaker make(99);
    for (int i = 0; i < 20000; ++i) k.oldText.push_back(make.line());
    for (const std::string& s : k.oldText) k.newText.push_back(make.twin(s));
    std::shuffle(k.newText.begin(), k.newText.end(), make.rng());
    k.finish();
    return k;
  }();
  return c;
}

void runPairing(benchmark::State& state, const Case& c, int16_t threshold) {
  std::vector<uint8_t> paired(c.newLines.size(), 0);
  size_t pairs = 0;
  for (auto _ : state) {
    std::fill(paired.begin(), paired.end(), 0);
    const std::vector<cvn::LinePair> result =
        cvn::pairSimilarLines(c.oldLines, c.newLines, paired, threshold);
    pairs = result.size();
    benchmark::DoNotOptimize(result.data());
  }
  state.counters["pairs"] = static_cast<double>(pairs);
}

void BM_SimilarityHexT10(benchmark::State& state) {
  runPairing(state, hexCase(), 10);
}
void BM_SimilarityHexT4(benchmark::State& state) {
  runPairing(state, hexCase(), 4);
}
void BM_SimilarityChangedWordsT10(benchmark::State& state) {
  runPairing(state, changedWordsCase(), 10);
}
void BM_SimilarityTwinsT10(benchmark::State& state) {
  runPairing(state, twinsCase(), 10);
}

// The literal scan on the first range(0) old lines of the hex case, for scale.
void BM_SimilarityLiteralHex(benchmark::State& state) {
  const Case& c = hexCase();
  const auto oldCount = static_cast<size_t>(state.range(0));
  const auto threshold = static_cast<int64_t>(state.range(1));
  std::vector<uint8_t> paired(c.newLines.size(), 0);
  size_t pairs = 0;
  for (auto _ : state) {
    std::fill(paired.begin(), paired.end(), 0);
    pairs = 0;
    for (size_t i = 0; i < oldCount; ++i) {
      for (size_t j = 0; j < c.newLines.size(); ++j) {
        if (paired[j] == 0 && cvn::characterDistance(c.oldLines[i], c.newLines[j]) <= threshold) {
          paired[j] = 1;
          ++pairs;
          break;
        }
      }
    }
    benchmark::DoNotOptimize(paired.data());
  }
  state.counters["pairs"] = static_cast<double>(pairs);
}

}  // namespace

BENCHMARK(BM_SimilarityHexT10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SimilarityHexT4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SimilarityChangedWordsT10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SimilarityTwinsT10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SimilarityLiteralHex)
    ->Args({1000, 10})
    ->Args({100, 4})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
