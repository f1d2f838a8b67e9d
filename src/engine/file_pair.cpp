#include "engine/file_pair.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "engine/identical_pairing.hpp"
#include "engine/line_classifier.hpp"
#include "engine/similarity_pairing.hpp"
#include "engine/statements.hpp"
#include "engine/variant.hpp"
#include "platform/checked.hpp"
#include "platform/file_system.hpp"

namespace cvn {
namespace {

struct CategoryLines {
  std::vector<std::string_view> lines;
  int32_t blank = 0;
};

struct ClassifiedFile {
  CategoryLines comment;
  CategoryLines code;
};

// Puts each line in its category, or counts it there when blank.
struct Categorizer {
  ClassifiedFile file;
  void add(std::string_view line, LineClassifier<char>::Classification c) {
    CategoryLines& category = c.comment ? file.comment : file.code;
    if (c.blank) {
      ++category.blank;
    } else {
      category.lines.push_back(line);
    }
  }
};

ClassifiedFile classifyFile(std::span<const std::string_view> lines, const ByteMarkers& markers) {
  if (lines.size() > static_cast<size_t>(INT32_MAX)) raise(kOverflow);
  LineClassifier<char> classifier(markers);
  Categorizer sorted;
  bool inMultiComm = false;
  for (std::string_view line : lines) sorted.add(line, classifier.classify(line, inMultiComm));
  return std::move(sorted.file);
}

ClassifiedFile classifyText(std::string_view text, const ByteMarkers& markers) {
  LineClassifier<char> classifier(markers);
  Categorizer sorted;
  int64_t lines = 0;
  classifier.classifyLines(text, [&](std::string_view line, auto c) {
    ++lines;
    sorted.add(line, c);
  });
  if (lines > INT32_MAX) raise(kOverflow);
  return std::move(sorted.file);
}

CategoryCounts compareCategory(const CategoryLines& one, const CategoryLines& two,
                               const ComparerState& state) {
  const FoldedLines foldedOne(one.lines, state.folding);
  const FoldedLines foldedTwo(two.lines, state.folding);
  const std::span<const std::string_view> linesOne = foldedOne.lines();
  const std::span<const std::string_view> linesTwo = foldedTwo.lines();
  CategoryCounts counts;
  counts.linesOne = static_cast<int32_t>(one.lines.size());
  counts.linesTwo = static_cast<int32_t>(two.lines.size());
  counts.blankOne = one.blank;
  counts.blankTwo = two.blank;

  std::vector<uint8_t> oldPaired(one.lines.size(), 0);
  std::vector<uint8_t> newPaired(two.lines.size(), 0);
  counts.same = static_cast<int32_t>(pairIdenticalLines(linesOne, linesTwo, oldPaired, newPaired));

  std::vector<std::string_view> unpairedOld;
  unpairedOld.reserve(linesOne.size() - static_cast<size_t>(counts.same));
  for (size_t i = 0; i < linesOne.size(); ++i) {
    if (oldPaired[i] == 0) unpairedOld.push_back(linesOne[i]);
  }
  counts.changed = static_cast<int32_t>(
      pairSimilarLines(unpairedOld, linesTwo, newPaired, state.diffThershold).size());
  counts.deleted = counts.linesOne - counts.same - counts.changed;
  counts.added = counts.linesTwo - counts.same - counts.changed;
  return counts;
}

// The counts of a file compared with an identical copy: the classification
// alone, without the line lists that pairing needs.
FilePairCounts unchangedFile(std::string_view text, const ByteMarkers& markers) {
  const LineTally tally = tallyLines(text, markers);
  const auto category = [&tally](bool comment) {
    CategoryCounts counts;
    counts.linesOne = counts.linesTwo = counts.same = tally[comment][0];
    counts.blankOne = counts.blankTwo = tally[comment][1];
    return counts;
  };
  return {category(true), category(false)};
}

CategoryCounts unchangedCategory(const CategoryLines& lines) {
  CategoryCounts counts;
  counts.linesOne = counts.linesTwo = counts.same = static_cast<int32_t>(lines.lines.size());
  counts.blankOne = counts.blankTwo = lines.blank;
  return counts;
}

std::u16string decimal(int32_t value) {
  const std::string text = std::to_string(value);
  return std::u16string(text.begin(), text.end());
}

}  // namespace

std::u16string nameAfterRoot(const std::u16string& path, const std::u16string& root) {
  return path.size() > root.size() ? path.substr(root.size()) : std::u16string();
}

namespace {

FilePairCounts compareClassified(const ClassifiedFile& one, const ClassifiedFile& two,
                                 const ComparerState& state) {
  return {compareCategory(one.comment, two.comment, state),
          compareCategory(one.code, two.code, state)};
}

}  // namespace

FilePairCounts compareLines(std::span<const std::string_view> linesOne,
                            std::span<const std::string_view> linesTwo,
                            const ComparerState& state) {
  const ByteMarkers markers =
      byteMarkers(state.commentChar, state.multiBegComm, state.multiEndComm);
  // Each file starts outside a multi-line comment: the new file's counts never
  // depend on how the old file ends.
  const ClassifiedFile one = classifyFile(linesOne, markers);
  if (std::equal(linesOne.begin(), linesOne.end(), linesTwo.begin(), linesTwo.end())) {
    // Unchanged files: every line pairs with its own copy in the identical pass.
    return {unchangedCategory(one.comment), unchangedCategory(one.code)};
  }
  return compareClassified(one, classifyFile(linesTwo, markers), state);
}

FilePairCounts compareTexts(std::string_view textOne, std::string_view textTwo,
                            const ComparerState& state) {
  const ByteMarkers markers =
      byteMarkers(state.commentChar, state.multiBegComm, state.multiEndComm);
  if (textOne == textTwo) return unchangedFile(textOne, markers);
  return compareClassified(classifyText(textOne, markers), classifyText(textTwo, markers), state);
}

FilePairResult countFilePair(const ComparerState& settings, const std::u16string& strRootDir,
                             const std::u16string& fileOne, const std::u16string& fileTwo) {
  FileSystem& fs = FileSystem::current();
  const TextLines textOne = fs.readTextFile(fileOne);
  const TextLines textTwo = fs.readTextFile(fileTwo);
  // Most pairs of a tree are unchanged: their bytes are compared once, here.
  const bool identical = textOne.text() == textTwo.text();
  return {identical ? unchangedFile(textOne.text(),
                                    byteMarkers(settings.commentChar, settings.multiBegComm,
                                                settings.multiEndComm))
                    : compareTexts(textOne.text(), textTwo.text(), settings),
          nameAfterRoot(fileOne, strRootDir), identical};
}

std::u16string compareMatchedFiles(ComparerState& state, const std::u16string& strRootDir,
                                   const std::u16string& fileOne, const std::u16string& fileTwo) {
  return reportFilePair(state, countFilePair(state, strRootDir, fileOne, fileTwo));
}

namespace {

// The sums a pair's report and statement show, each checked.
struct PairSums {
  int32_t same, changed, deleted, added, totalOne, totalTwo;
};

PairSums sumsOf(const FilePairCounts& counts) {
  const CategoryCounts& cm = counts.comment;
  const CategoryCounts& cd = counts.code;
  return {checkedAdd(cm.same, cd.same),         checkedAdd(cm.changed, cd.changed),
          checkedAdd(cm.deleted, cd.deleted),   checkedAdd(cm.added, cd.added),
          checkedAdd(cd.linesOne, cd.blankOne), checkedAdd(cd.linesTwo, cd.blankTwo)};
}

}  // namespace

std::u16string filePairStatement(const ComparerState& settings, const FilePairResult& pair) {
  const CategoryCounts& cm = pair.counts.comment;
  const CategoryCounts& cd = pair.counts.code;
  const auto [same, changed, deleted, added, totalOne, totalTwo] = sumsOf(pair.counts);
  const std::u16string& name = pair.name;
  std::array<Variant, 19> values = {
      Variant(same),        Variant(changed),     Variant(deleted),     Variant(added),
      Variant(cm.linesOne), Variant(cm.linesTwo), Variant(totalOne),    Variant(totalTwo),
      Variant(name),        Variant(cd.blankOne), Variant(cd.blankTwo), Variant(cm.same),
      Variant(cd.same),     Variant(cm.changed),  Variant(cd.changed),  Variant(cm.deleted),
      Variant(cd.deleted),  Variant(cm.added),    Variant(cd.added)};
  std::array<Variant*, 19> pointers{};
  for (size_t k = 0; k < values.size(); ++k) pointers[k] = &values[k];
  std::u16string statement;
  insertFileCompareResults(statement, settings.sessionID, pointers);
  return statement;
}

std::u16string reportFilePair(ComparerState& state, const FilePairResult& pair) {
  state.strSQL += filePairStatement(state, pair);
  const std::u16string& name = pair.name;
  const CategoryCounts& cm = pair.counts.comment;
  const CategoryCounts& cd = pair.counts.code;
  const PairSums sums = sumsOf(pair.counts);
  const std::array<std::pair<std::u16string_view, std::u16string>, 19> records = {{
      {u"samelines", decimal(sums.same)},
      {u"changedlines", decimal(sums.changed)},
      {u"dellines", decimal(sums.deleted)},
      {u"newlines", decimal(sums.added)},
      {u"commlinesOne", decimal(cm.linesOne)},
      {u"commlinesTwo", decimal(cm.linesTwo)},
      {u"totallinesOne", decimal(cd.linesOne)},
      {u"totallinesTwo", decimal(cd.linesTwo)},
      {u"filename", name},
      {u"blanklinesOne", decimal(cd.blankOne)},
      {u"blanklinesTwo", decimal(cd.blankTwo)},
      {u"samelines commment", decimal(cm.same)},
      {u"samelines code", decimal(cd.same)},
      {u"changedlines coment", decimal(cm.changed)},
      {u"changedlines code", decimal(cd.changed)},
      {u"dellines comment", decimal(cm.deleted)},
      {u"dellines code", decimal(cd.deleted)},
      {u"newlines comment", decimal(cm.added)},
      {u"newlines code", decimal(cd.added)},
  }};
  std::u16string report;
  for (const auto& [key, value] : records) {
    if (!report.empty()) report += u'\r';
    report += key;
    report += u'\t';
    report += value;
  }
  return report;
}

}  // namespace cvn
