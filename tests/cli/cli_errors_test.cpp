#include <gtest/gtest.h>

#include <filesystem>

#include "file_bytes.hpp"
#include "run_cvn.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

namespace fs = std::filesystem;

// A failure is one line on stderr, nothing on stdout and status 2.
void expectFailure(const CvnResult& result, const std::string& start, const std::string& names) {
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  ASSERT_FALSE(result.err.empty());
  EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
  EXPECT_EQ(result.err.rfind(start, 0), 0u) << result.err;
  EXPECT_NE(result.err.find(names), std::string::npos) << result.err;
}

class CliErrors : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("old/a.c", "int a;\n");
    dir.write("new/a.c", "int b;\n");
    root = fs::canonical(dir.path()).string();
  }
  CvnResult cvn(std::vector<std::string> args, bool asNobody = false) {
    return runCvn(args, dir.path(), asNobody);
  }

  TempDir dir;
  std::string root;
};

TEST_F(CliErrors, MissingFolderIs76) {
  expectFailure(cvn({"compare", "nothing", "new"}), "cvn: error 76: ", root + "/nothing");
  expectFailure(cvn({"compare", "old", "new/gone/"}), "cvn: error 76: ", root + "/new/gone");
  EXPECT_FALSE(fs::exists(dir.path() / "cvn.db"));
}

TEST_F(CliErrors, FileAsRootIs76) {
  expectFailure(cvn({"compare", "old/a.c", "new"}), "cvn: error 76: ", root + "/old/a.c");
}

TEST_F(CliErrors, MaskLikeNameIs76) {
  expectFailure(cvn({"compare", "old/*.c", "new", "--sql"}), "cvn: error 76: ", root + "/old/*.c");
}

TEST_F(CliErrors, NumberOutOfRangeIs6) {
  expectFailure(cvn({"compare", "old", "new", "--threshold", "32768"}),
                "cvn: error 6: ", "--threshold 32768");
  expectFailure(cvn({"compare", "old", "new", "--threshold", "-32769"}),
                "cvn: error 6: ", "--threshold -32769");
  expectFailure(cvn({"compare", "old", "new", "--session", "2147483648"}),
                "cvn: error 6: ", "--session 2147483648");
  expectFailure(cvn({"compare", "old", "new", "--session", "99999999999999999999999"}),
                "cvn: error 6: ", "--session");
  EXPECT_FALSE(fs::exists(dir.path() / "cvn.db"));
}

TEST_F(CliErrors, TextThatIsNoNumberIs13) {
  for (const char* text : {"ten", "", "1.5", "+", "-", "1e3", " 7", "+-3"}) {
    expectFailure(cvn({"compare", "old", "new", "--threshold", text}),
                  "cvn: error 13: ", "--threshold");
  }
  expectFailure(cvn({"compare", "old", "new", "--session", "x1"}),
                "cvn: error 13: ", "--session x1");
}

TEST_F(CliErrors, NumbersAtTheLimitsAreTaken) {
  for (const char* threshold : {"-32768", "32767", "+5", "-0"}) {
    const CvnResult result = cvn({"compare", "old", "new", "--sql", "--threshold", threshold});
    EXPECT_EQ(result.status, 0) << threshold << ": " << result.err;
  }
  const CvnResult result = cvn({"compare", "old", "new", "--sql", "--session", "-2147483648"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("values (-2147483648,"), std::string::npos) << result.out;
}

TEST_F(CliErrors, UnreadableFileIs70) {
  setMode(dir.path() / "new" / "a.c", fs::perms::none);
  expectFailure(cvn({"compare", "old", "new", "--sql"}, /*asNobody=*/true),
                "cvn: error 70: ", root + "/new/a.c");
}

TEST_F(CliErrors, UnreadableFolderIs70) {
  dir.write("new/secret/b.c", "int c;\n");
  setMode(dir.path() / "new" / "secret", fs::perms::none);
  expectFailure(cvn({"compare", "old", "new", "--sql"}, /*asNobody=*/true),
                "cvn: error 70: ", root + "/new/secret");
}

TEST_F(CliErrors, NameWithCarriageReturnIs5) {
  dir.write("new/bad\rname.c", "int c;\n");
  const CvnResult result = cvn({"compare", "old", "new", "--sql"});
  // Escaped, so that the message stays one line.
  expectFailure(result, "cvn: error 5: ", root + "/new/bad\\rname.c");
}

TEST_F(CliErrors, NamesThatWouldSplitTheListAre5) {
  for (const char* name : {"a||b.c", "end|", "|start.c"}) {
    TempDir other;
    other.write("old/x.c", "int x;\n");
    other.write(std::string("new/") + name, "int y;\n");
    const CvnResult result = runCvn({"compare", "old", "new", "--sql"}, other.path());
    expectFailure(result, "cvn: error 5: ", fs::canonical(other.path()).string() + "/new/" + name);
  }
}

TEST_F(CliErrors, DatabaseInAFolderNobodyMayWriteIsNamed) {
  // The temporary folder belongs to root and is not writable by others.
  expectFailure(cvn({"compare", "old", "new", "--db", "results.db"}, /*asNobody=*/true),
                "cvn: cannot open database results.db: ", "results.db");
  EXPECT_FALSE(fs::exists(dir.path() / "results.db"));
}

TEST_F(CliErrors, ReadOnlyDatabaseIsNamed) {
  ASSERT_EQ(cvn({"compare", "old", "new", "--db", "db/r.db"}).status, 2);  // no such folder
  dir.mkdir("db");
  ASSERT_EQ(cvn({"compare", "old", "new", "--db", "db/r.db"}).status, 0);
  setMode(dir.path() / "db", fs::perms::all);
  const std::string bytes = readBytes(dir.path() / "db" / "r.db");
  expectFailure(cvn({"compare", "old", "new", "--db", "db/r.db"}, /*asNobody=*/true),
                "cvn: cannot write database db/r.db: ", "read-only");
  EXPECT_TRUE(readBytes(dir.path() / "db" / "r.db") == bytes);
}

TEST_F(CliErrors, DatabaseWhoseJournalCannotBeWrittenIsNamed) {
  ASSERT_EQ(cvn({"compare", "old", "new", "--db", "r.db"}).status, 0);
  setMode(dir.path() / "r.db", fs::perms::all);
  const std::string bytes = readBytes(dir.path() / "r.db");
  // The file is writable, its folder is not: the journal cannot be made.
  expectFailure(cvn({"compare", "old", "new", "--db", "r.db"}, /*asNobody=*/true),
                "cvn: cannot write database r.db: ", "r.db");
  EXPECT_TRUE(readBytes(dir.path() / "r.db") == bytes);
}

TEST_F(CliErrors, FileThatIsNoDatabaseIsNamedAndKept) {
  dir.write("notes.txt", "these are notes, not a database\n");
  expectFailure(cvn({"compare", "old", "new", "--db", "notes.txt"}), "cvn: ", "notes.txt");
  EXPECT_EQ(readBytes(dir.path() / "notes.txt"), "these are notes, not a database\n");
}

TEST_F(CliErrors, FolderAsDatabaseIsNamed) {
  expectFailure(cvn({"compare", "old", "new", "--db", "old"}), "cvn: cannot open database old",
                "old");
}

TEST_F(CliErrors, BadUsageIsOneLine) {
  expectFailure(cvn({"compare", "old"}), "cvn: ", "new");
  expectFailure(cvn({"compare", "old", "new", "--no-such-option"}), "cvn: ", "--no-such-option");
  expectFailure(cvn({"compare", "old", "new", "--lang", "klingon"}), "cvn: --lang", "klingon");
  expectFailure(cvn({"compare", "old", "new", "--sql", "--db", "x.db"}), "cvn: ", "--sql");
  expectFailure(cvn({}), "cvn: ", "subcommand");
  expectFailure(cvn({"frobnicate"}), "cvn: ", "frobnicate");
}

TEST_F(CliErrors, HelpAndVersionSucceed) {
  const CvnResult help = cvn({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("compare"), std::string::npos) << help.out;
  const CvnResult compareHelp = cvn({"compare", "--help"});
  EXPECT_EQ(compareHelp.status, 0);
  EXPECT_NE(compareHelp.out.find("--threshold"), std::string::npos) << compareHelp.out;
  const CvnResult version = cvn({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("cvn ", 0), 0u) << version.out;
}

}  // namespace
}  // namespace cvn::test
