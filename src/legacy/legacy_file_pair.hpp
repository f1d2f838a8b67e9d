#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/comparer_state.hpp"
#include "tree/physical_count.hpp"

namespace cvn {

// Counts of the legacy comparison of one file pair.
struct LegacyCounts {
  int32_t same = 0;
  int32_t changed = 0;
  int32_t deleted = 0;
  int32_t added = 0;
  int32_t commentOne = 0;
  int32_t commentTwo = 0;
  int32_t blankOne = 0;
  int32_t blankTwo = 0;
  int32_t totalOne = 0;  // neither comment nor blank
  int32_t totalTwo = 0;

  friend bool operator==(const LegacyCounts&, const LegacyCounts&) = default;
};

// The legacy pairing: all lines of each file in one list, blank and comment
// lines included; identical lines pair first, then every old line (paired or
// not) may take one similar unpaired new line. The state's blankInMultiComm is
// left as the counter left it after the second file.
LegacyCounts legacyCompareLines(std::span<const std::string_view> linesOne,
                                std::span<const std::string_view> linesTwo, ComparerState& state);
// The same with the counter's result elsewhere: reads only the settings.
LegacyCounts legacyCompareLines(std::span<const std::string_view> linesOne,
                                std::span<const std::string_view> linesTwo,
                                const ComparerState& settings, int32_t& blankInMultiComm);

// compareMatchedFiles of the legacy comparer: reads both files, appends the
// 11-value statement and returns the eight-entry report.
std::u16string legacyCompareMatchedFiles(ComparerState& state, const std::u16string& strRootDir,
                                         const std::u16string& fileOne,
                                         const std::u16string& fileTwo);

// physicalCountOnly of the legacy comparer: appends the 11-value statement of
// a counted file. Returns "".
std::u16string legacyPhysicalCountOnly(ComparerState& state, const std::u16string& strDirRoot,
                                       const std::u16string& fileToCount);

// Both in two steps: reading and counting, which reads only the settings and so
// may run on any thread, then what the state keeps and the statement.
struct LegacyPairResult {
  LegacyCounts counts;
  int32_t blankInMultiComm = 0;  // as the counter left it after the second file
  std::u16string name;           // fileOne after the root
  bool identical = false;        // both files hold the same bytes
};
struct LegacyCountResult {
  PhysicalCounts counts;
  int32_t blankInMultiComm = 0;
  std::u16string name;
};
LegacyPairResult legacyCountFilePair(const ComparerState& settings,
                                     const std::u16string& strRootDir,
                                     const std::u16string& fileOne, const std::u16string& fileTwo);
std::u16string legacyReportFilePair(ComparerState& state, const LegacyPairResult& result);
LegacyCountResult legacyCountFile(const ComparerState& settings, const std::u16string& strDirRoot,
                                  const std::u16string& fileToCount);
void legacyReportCount(ComparerState& state, const LegacyCountResult& result);

}  // namespace cvn
