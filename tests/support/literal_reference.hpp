#pragma once

// The file pair comparisons as literally described, on decoded text with a
// linear search for every candidate: slow, obviously right, and the yardstick
// for the fast pairing, shared by the unit tests and the fuzzers.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/changed_line.hpp"
#include "engine/file_pair.hpp"
#include "engine/line_classifier.hpp"
#include "engine/line_folding.hpp"
#include "platform/codepage.hpp"
#include "platform/upper_case.hpp"

namespace cvn::test {

struct MarkerTexts {
  std::u16string comment;
  std::u16string begin;
  std::u16string end;
};

// A line as the passes compare it: its words joined by single spaces, and
// letters as capitals where the code page has the capital.
inline std::u16string literalFold(const std::u16string& line, LineFolding folding) {
  std::u16string text = line;
  if (folding.ignoreCase) {
    for (char16_t& ch : text) {
      if (encodeCp1252(toUpperSimple(ch))) ch = toUpperSimple(ch);
    }
  }
  if (!folding.ignoreWhitespace) return text;
  std::vector<std::u16string> words(1);
  for (char16_t ch : text) {
    if (ch != u' ' && ch != u'\t') {
      words.back() += ch;
    } else if (!words.back().empty()) {
      words.emplace_back();
    }
  }
  std::u16string joined;
  for (const std::u16string& word : words) {
    if (word.empty()) continue;
    if (!joined.empty()) joined += u' ';
    joined += word;
  }
  return joined;
}

// The current comparison: each file classified from outside a comment, blank
// lines left out, identical lines paired first, then similar ones, all of them
// folded as asked.
inline FilePairCounts literalCompare(const std::vector<std::u16string>& one,
                                     const std::vector<std::u16string>& two,
                                     const MarkerTexts& markers, int16_t threshold,
                                     LineFolding folding = {}) {
  struct Category {
    std::vector<std::u16string> a, b;
    int32_t blankA = 0, blankB = 0;
  };
  Category comment, code;
  LineClassifier<char16_t> classifier(textMarkers(markers.comment, markers.begin, markers.end));
  auto classify = [&](const std::vector<std::u16string>& lines, bool first) {
    bool state = false;
    for (const auto& line : lines) {
      Category& cat = classifier.isComment(line, state) ? comment : code;
      if (classifier.isBlank(line)) {
        ++(first ? cat.blankA : cat.blankB);
      } else {
        (first ? cat.a : cat.b).push_back(literalFold(line, folding));
      }
    }
  };
  classify(one, true);
  classify(two, false);
  auto compare = [&](const Category& cat) {
    CategoryCounts c;
    c.linesOne = static_cast<int32_t>(cat.a.size());
    c.linesTwo = static_cast<int32_t>(cat.b.size());
    c.blankOne = cat.blankA;
    c.blankTwo = cat.blankB;
    std::vector<bool> oldPaired(cat.a.size()), newPaired(cat.b.size());
    for (size_t i = 0; i < cat.a.size(); ++i) {
      for (size_t j = 0; j < cat.b.size(); ++j) {
        if (!newPaired[j] && cat.a[i] == cat.b[j]) {
          oldPaired[i] = newPaired[j] = true;
          ++c.same;
          break;
        }
      }
    }
    for (size_t i = 0; i < cat.a.size(); ++i) {
      if (oldPaired[i]) continue;
      for (size_t j = 0; j < cat.b.size(); ++j) {
        if (!newPaired[j] && determineChangedLine(cat.a[i], cat.b[j], threshold) != 0) {
          newPaired[j] = true;
          ++c.changed;
          break;
        }
      }
    }
    c.deleted = c.linesOne - c.same - c.changed;
    c.added = c.linesTwo - c.same - c.changed;
    return c;
  };
  return {compare(comment), compare(code)};
}

struct LegacyPairing {
  int32_t same = 0, changed = 0, deleted = 0, added = 0;
  friend bool operator==(const LegacyPairing&, const LegacyPairing&) = default;
};

// The legacy pairing: all lines in one list; every old line, paired or not,
// may take one similar unpaired new line. The legacy test compares characters
// (determineChangedLine_old); on text decoded from bytes no two characters
// share a code, so the faster table test gives the same answer
// (fuzz_changed_line checks that).
template <typename Similar>
inline LegacyPairing literalLegacyPairing(const std::vector<std::u16string>& one,
                                          const std::vector<std::u16string>& two,
                                          Similar&& similar) {
  LegacyPairing p;
  std::vector<bool> oldInPair(one.size()), newPaired(two.size());
  for (size_t k = 0; k < one.size(); ++k) {
    for (size_t j = 0; j < two.size(); ++j) {
      if (!newPaired[j] && one[k] == two[j]) {
        newPaired[j] = oldInPair[k] = true;
        ++p.same;
        break;
      }
    }
  }
  for (size_t k = 0; k < one.size(); ++k) {
    for (size_t j = 0; j < two.size(); ++j) {
      if (!newPaired[j] && similar(one[k], two[j])) {
        newPaired[j] = oldInPair[k] = true;
        ++p.changed;
        break;
      }
    }
  }
  p.deleted = static_cast<int32_t>(std::count(oldInPair.begin(), oldInPair.end(), false));
  p.added = static_cast<int32_t>(std::count(newPaired.begin(), newPaired.end(), false));
  return p;
}

}  // namespace cvn::test
