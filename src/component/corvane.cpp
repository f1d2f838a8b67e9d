#include "component/corvane.hpp"

#include <array>
#include <memory>

#include "engine/changed_line.hpp"
#include "engine/file_pair.hpp"
#include "engine/line_classifier.hpp"
#include "engine/statements.hpp"

namespace cvn {

// Reading and counting may run on any thread; the statements are appended by
// the driver's thread in list order.
FileWork Corvane::fileWork() {
  auto count = [this](int16_t type) {
    return [this, type](const std::u16string& root, const std::u16string& file) -> FileFinish {
      const PhysicalCounts counts = cvn::countFile(state_, file);
      return [this, root, file, type, counts] {
        reportPhysicalCount(state_, root, file, type, counts);
      };
    };
  };
  return {[this](const std::u16string& root, const std::u16string& one,
                 const std::u16string& two) -> FileFinish {
            // The statement is made here, on the worker; only appending it waits its turn.
            const FilePairResult pair = countFilePair(state_, root, one, two);
            return [this, statement = filePairStatement(state_, pair), name = pair.name,
                    identical = pair.identical] {
              state_.strSQL += statement;
              if (pairObserver_) pairObserver_(name, identical);
            };
          },
          count(kCountedFile), count(kDeletedFile), count(kNewFile)};
}

std::u16string Corvane::compareMatchedFiles(const std::u16string& strRootDir,
                                            const std::u16string& fileOne,
                                            const std::u16string& fileTwo) {
  return cvn::compareMatchedFiles(state_, strRootDir, fileOne, fileTwo);
}

std::u16string Corvane::physicalCountOnly(const std::u16string& strDirRoot,
                                          const std::u16string& fileToCount, int16_t& ifileType) {
  return cvn::physicalCountOnly(state_, strDirRoot, fileToCount, ifileType);
}

PhysicalCounts Corvane::countFile(const std::u16string& fileToCount) {
  return cvn::countFile(state_, fileToCount);
}

int16_t Corvane::determineChangedLine(const std::u16string& string1, const std::u16string& string2,
                                      int16_t threshold) {
  return cvn::determineChangedLine(string1, string2, threshold);
}

int16_t Corvane::determineChangedLine_old(const std::u16string& string1,
                                          const std::u16string& string2, int16_t threshold) {
  return cvn::determineChangedLine_old(string1, string2, threshold);
}

int32_t Corvane::calBlankLines(StringArray& fileContentsOne) {
  return countBlankLines(fileContentsOne);
}

void Corvane::insertFileCompareResults(Variant& a, Variant& b, Variant& c, Variant& d, Variant& e,
                                       Variant& f, Variant& g, Variant& h, Variant& i, Variant& k,
                                       Variant& l, Variant& a1, Variant& a2, Variant& b1,
                                       Variant& b2, Variant& c1, Variant& c2, Variant& d1,
                                       Variant& d2) {
  const std::array<Variant*, 19> values = {&a, &b,  &c,  &d,  &e,  &f,  &g,  &h,  &i, &k,
                                           &l, &a1, &a2, &b1, &b2, &c1, &c2, &d1, &d2};
  cvn::insertFileCompareResults(state_.strSQL, state_.sessionID, values);
}

}  // namespace cvn
