// Odd file and folder names and roots through cvn:
// quotes, spaces, tabs, line feeds, carriage returns, "|", bytes that are not UTF-8,
// and roots without a separator.
#include <gtest/gtest.h>

#include <unistd.h>

#include "bad_input_support.hpp"
#include "cli/sqlite_rows.hpp"
#include "platform/error.hpp"

namespace cvn::test {
namespace {

// Names that must travel unharmed; all end in ".c", so cvn compares them as C.
const std::vector<std::string> kOddNames = {
    "it's.c",       "say \"hi\".c", " lead space.c", "two  spaces .c",     "tab\tname.c",
    "line\nfeed.c", "a|b.c",        "caf\xE9.c",     "\xFF\xFE.c",         "back\\slash.c",
    "semi;colon.c", "percent%20.c", "dash -rf.c",    "\xC3\xA9t\xC3\xA9.c"};

std::string hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

void writeOddTrees(const TempDir& dir) {
  for (const std::string& name : kOddNames) {
    dir.write("old/" + name, "int a; // " + name + "\n");
    dir.write("new/" + name, "int b; // " + name + "\n");
  }
}

class OddNamesCvn : public ::testing::Test {
 protected:
  BoundedResult cvn(const std::vector<std::string>& args) {
    return runCvnBounded(args, dir.path());
  }
  TempDir dir;
};

TEST_F(OddNamesCvn, AreStoredByteForByte) {
  writeOddTrees(dir);
  for (const bool legacy : {false, true}) {
    const std::string db = legacy ? "legacy.db" : "current.db";
    std::vector<std::string> args = {"compare", "old", "new", "--db", db};
    if (legacy) args.push_back("--legacy");
    expectCvnSuccess(cvn(args));
    std::set<std::string> stored;
    for (const auto& row :
         queryRows(dir.path() / db, "SELECT hex(filename) FROM file_compare_results")) {
      stored.insert(row.at(0));
    }
    std::set<std::string> expected;
    for (const std::string& name : kOddNames) expected.insert(hex(name));
    EXPECT_EQ(stored, expected) << db;
  }
}

TEST_F(OddNamesCvn, QuotesInTheRootsAreEscaped) {
  const std::string folder = "it's; DROP TABLE cvn_runs; --";
  dir.write(folder + "/old/a'b.c", "int a;\n");
  dir.write(folder + "/new/a'b.c", "int b;\n");
  expectCvnSuccess(cvn({"compare", folder + "/old", folder + "/new", "--db", "r.db"}));
  const std::string root = physical(dir) + "/" + folder;
  EXPECT_EQ(queryRows(dir.path() / "r.db", "SELECT * FROM dir_compare_results"),
            (Rows{{"1", "1", "0", "0", root + "/old/", root + "/new/"}}));
  EXPECT_EQ(queryRows(dir.path() / "r.db", "SELECT filename FROM file_compare_results"),
            (Rows{{"a'b.c"}}));
  EXPECT_EQ(queryRows(dir.path() / "r.db", "SELECT count(*) FROM cvn_runs"), (Rows{{"1"}}));
}

TEST_F(OddNamesCvn, CarriageReturnInAFolderNameIs5) {
  dir.write("old/a.c", "int a;\n");
  dir.write("new/bad\rdir/a.c", "int a;\n");
  for (const bool legacy : {false, true}) {
    std::vector<std::string> args = {"compare", "old", "new"};
    if (legacy) args.push_back("--legacy");
    expectCvnFailure(cvn(args), "cvn: error 5: ", physical(dir) + "/new/bad\\rdir/a.c");
  }
  EXPECT_FALSE(fs::exists(dir.path() / "cvn.db"));
}

TEST_F(OddNamesCvn, BarsOnlyWhereTheyCannotSplitTheList) {
  dir.write("old/end|/a.c", "int a;\n");
  dir.write("old/|start/b.c", "int b;\n");
  dir.write("old/mid|dle.c", "int c;\n");
  dir.write("new/mid|dle.c", "int c;\n");
  const BoundedResult taken = cvn({"compare", "old", "new", "--sql"});
  expectCvnSuccess(taken);
  EXPECT_NE(taken.out.find("values (1,1,2,0,"), std::string::npos) << taken.out;

  dir.write("new/x||y/c.c", "int d;\n");
  expectCvnFailure(cvn({"compare", "old", "new", "--sql"}),
                   "cvn: error 5: ", physical(dir) + "/new/x||y/c.c");
}

TEST_F(OddNamesCvn, EmptyAndRelativeRoots) {
  dir.write("old/a.c", "int a;\n");
  dir.write("new/a.c", "int b;\n");
  expectCvnFailure(cvn({"compare", "", "new"}), "cvn: error 76: ", "\"\"");
  const BoundedResult relative = cvn({"compare", "old", "./new/", "--sql"});
  expectCvnSuccess(relative);
  EXPECT_NE(relative.out.find("'" + physical(dir) + "/old/','" + physical(dir) + "/new/')|||"),
            std::string::npos)
      << relative.out;
}

}  // namespace
}  // namespace cvn::test
