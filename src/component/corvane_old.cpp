#include "component/corvane_old.hpp"

#include <array>
#include <memory>

#include "engine/changed_line.hpp"
#include "engine/statements.hpp"
#include "legacy/legacy_counters.hpp"
#include "legacy/legacy_file_pair.hpp"

namespace cvn {

FileWork Corvane_old::fileWork() {
  return {[this](const std::u16string& root, const std::u16string& one,
                 const std::u16string& two) -> FileFinish {
            auto pair =
                std::make_shared<LegacyPairResult>(legacyCountFilePair(state_, root, one, two));
            return [this, pair] {
              legacyReportFilePair(state_, *pair);
              if (pairObserver_) pairObserver_(pair->name, pair->identical);
            };
          },
          [this](const std::u16string& root, const std::u16string& file) -> FileFinish {
            auto counted = std::make_shared<LegacyCountResult>(legacyCountFile(state_, root, file));
            return [this, counted] { legacyReportCount(state_, *counted); };
          },
          {},
          {}};
}

std::u16string Corvane_old::compareMatchedFiles(const std::u16string& strRootDir,
                                                const std::u16string& fileOne,
                                                const std::u16string& fileTwo) {
  return legacyCompareMatchedFiles(state_, strRootDir, fileOne, fileTwo);
}

int32_t Corvane_old::calBlankLines(StringArray& fileContentsOne) {
  return legacyCalBlankLines(fileContentsOne);
}

std::u16string Corvane_old::physicalCountOnly(const std::u16string& strDirRoot,
                                              const std::u16string& fileToCount) {
  return legacyPhysicalCountOnly(state_, strDirRoot, fileToCount);
}

int16_t Corvane_old::determineChangedLine(const std::u16string& string1,
                                          const std::u16string& string2, int16_t threshold) {
  return cvn::determineChangedLine_old(string1, string2, threshold);
}

void Corvane_old::insertFileCompareResults(Variant& a, Variant& b, Variant& c, Variant& d,
                                           Variant& e, Variant& f, Variant& g, Variant& h,
                                           Variant& i, Variant& k, Variant& l) {
  const std::array<Variant*, 11> values = {&a, &b, &c, &d, &e, &f, &g, &h, &i, &k, &l};
  insertLegacyFileCompareResults(state_.strSQL, state_.sessionID, values);
}

}  // namespace cvn
