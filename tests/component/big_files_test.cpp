// The largest inputs, once through each class: a 10 MB line and a file of 2 million lines.
#include <gtest/gtest.h>

#include "component/corvane.hpp"
#include "component/corvane_old.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

template <typename C>
class BigFiles : public ::testing::Test {
 protected:
  // The report's entries ("key<TAB>value", joined by "\r") include these.
  void expectReport(const std::string& one, const std::string& two,
                    std::vector<std::u16string> entries) {
    dir.write("old.c", one);
    dir.write("new.c", two);
    C comparer;
    comparer.state().diffThershold = 10;
    const std::u16string report =
        u"\r" + comparer.compareMatchedFiles(dir.u16(), dir.u16("old.c"), dir.u16("new.c")) + u"\r";
    for (const std::u16string& entry : entries)
      EXPECT_NE(report.find(u"\r" + entry + u"\r"), std::u16string::npos) << u8(entry);
  }
  static constexpr bool kLegacy = std::is_same_v<C, Corvane_old>;
  TempDir dir;
};
using Classes = ::testing::Types<Corvane, Corvane_old>;
TYPED_TEST_SUITE(BigFiles, Classes);

TYPED_TEST(BigFiles, TenMegabyteLine) {
  std::string line(10 << 20, 'x');
  const std::string old = line;  // no line end
  line[5'000'000] = 'y';
  this->expectReport(old, line + "\n", {u"samelines\t0", u"changedlines\t1", u"totallinesOne\t1"});
}

// Every 100,000th line from 50,000 on is edited; the legacy pass offers paired old lines again,
// so "line 0" to "line 19" take the edited lines, whose own old lines are then deleted.
TYPED_TEST(BigFiles, TwoMillionLines) {
  std::string one, two;
  for (int k = 0; k < 2'000'000; ++k) {
    one += "line " + std::to_string(k) + "\n";
    two += "line " + std::to_string(k) + (k % 100'000 == 50'000 ? "x\n" : "\n");
  }
  this->expectReport(one, two,
                     {u"samelines\t1999980", u"changedlines\t20",
                      this->kLegacy ? u"dellines\t20" : u"dellines\t0"});
}

}  // namespace
}  // namespace cvn::test
