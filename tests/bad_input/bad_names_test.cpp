// Odd file and folder names and roots, through both comparer classes:
// quotes, spaces, tabs, line feeds, carriage returns, "|", bytes that are not UTF-8,
// and roots without a separator.
#include <gtest/gtest.h>

#include <unistd.h>

#include "bad_input_support.hpp"
#include "component/corvane.hpp"
#include "component/corvane_old.hpp"
#include "platform/error.hpp"

namespace cvn::test {
namespace {

// Names that must travel unharmed; all end in ".c", so cvn compares them as C.
const std::vector<std::string> kOddNames = {
    "it's.c",       "say \"hi\".c", " lead space.c", "two  spaces .c",     "tab\tname.c",
    "line\nfeed.c", "a|b.c",        "caf\xE9.c",     "\xFF\xFE.c",         "back\\slash.c",
    "semi;colon.c", "percent%20.c", "dash -rf.c",    "\xC3\xA9t\xC3\xA9.c"};

std::u16string escaped(const std::u16string& text) {
  std::u16string out;
  for (char16_t ch : text) {
    out += ch;
    if (ch == u'\'') out += u'\'';
  }
  return out;
}

void writeOddTrees(const TempDir& dir) {
  for (const std::string& name : kOddNames) {
    dir.write("old/" + name, "int a; // " + name + "\n");
    dir.write("new/" + name, "int b; // " + name + "\n");
  }
}

template <typename Comparer>
class OddNames : public ::testing::Test {};
using Comparers = ::testing::Types<Corvane, Corvane_old>;
TYPED_TEST_SUITE(OddNames, Comparers);

TYPED_TEST(OddNames, SurviveListingAndComparison) {
  TempDir dir;
  writeOddTrees(dir);
  TypeParam comparer;
  const std::u16string oldList = comparer.getFileList(dir.u16("old"));
  for (const std::string& name : kOddNames) {
    EXPECT_NE(oldList.find(dir.u16("old/" + name)), std::u16string::npos) << name;
  }
  const std::u16string statements = comparer.compareFileList(
      dir.u16("old"), dir.u16("new"), comparisonForm(oldList),
      comparisonForm(comparer.getFileList(dir.u16("new"))), u"//", 10, 0, 1, u"/*", u"*/", u"2");
  for (const std::string& name : kOddNames) {
    EXPECT_NE(statements.find(u",'" + escaped(u16(name)) + u"',"), std::u16string::npos) << name;
  }
  const std::u16string dirValues = u"values (1," + u16(std::to_string(kOddNames.size())) + u",0,0,";
  EXPECT_NE(statements.find(dirValues), std::u16string::npos) << u8(statements);
}

// Roots are split by their last separator; one without any is refused, unless it names
// an existing folder (relative to the working folder).
TYPED_TEST(OddNames, RootsWithoutSeparator) {
  TempDir dir;
  dir.write("old/a.c", "int a;\n");
  dir.write("new/a.c", "int b;\n");
  const std::string folder = dir.path().string();
  expectChildPasses(runCheck([&] {
    if (::chdir(folder.c_str()) != 0) return 99;
    TypeParam comparer;
    const Failure none = failureOf([&] { comparer.getFileList(u"cvn-no-such-root"); });
    const Failure empty = failureOf([&] { comparer.getFileList(u""); });
    const Failure compare = failureOf([&] {
      comparer.compareFileList(u"cvn-no-such-root", u"new", u"", u"", u"//", 10, 0, 1, u"/*", u"*/",
                               u"2");
    });
    const std::u16string relative = comparer.getFileList(u"old");
    std::u16string statements;
    const Failure existing = failureOf([&] {
      statements = comparer.compareFileList(u"old", u"new", relative, u"new/a.c", u"//", 10, 0, 1,
                                            u"/*", u"*/", u"2");
    });
    return childCheck(none.number == kInvalidArgument &&
                          none.description.find("cvn-no-such-root") != std::string::npos,
                      1, "no such root: " + none.description) |
           childCheck(empty.number == kInvalidArgument, 2, "empty root") |
           childCheck(compare.number == kInvalidArgument &&
                          compare.description.find("cvn-no-such-root") != std::string::npos,
                      4, "compareFileList: " + compare.description) |
           childCheck(relative == u"old/a.c", 8, "relative listing: " + u8(relative)) |
           childCheck(
               existing.number == 0 && statements.ends_with(u"values (1,1,0,0,'old/','new/')|||"),
               16, "relative roots: " + existing.description + u8(statements));
  }));
}

}  // namespace
}  // namespace cvn::test
