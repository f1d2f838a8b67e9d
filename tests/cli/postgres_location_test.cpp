#include <gtest/gtest.h>

#include <filesystem>

#include "run_cvn.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

namespace fs = std::filesystem;

// What needs no server: a --db that names PostgreSQL is never taken for a SQLite file.
class PostgresLocation : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("old/a.c", "int a;\n");
    dir.write("new/a.c", "int b;\n");
  }
  TempDir dir;
};

TEST_F(PostgresLocation, UnreachableServerIsNamedAndNoFileIsMade) {
  // Nothing listens on port 1 of the loopback address.
  for (const std::string location : {"host=127.0.0.1 port=1 dbname=results connect_timeout=5",
                                     "postgresql://someone@127.0.0.1:1/results?connect_timeout=5",
                                     "postgres://127.0.0.1:1/results?connect_timeout=5"}) {
    const CvnResult result = runCvn({"compare", "old", "new", "--db", location}, dir.path());
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("cvn: cannot open database " + location + ": ", 0), 0u)
        << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST_F(PostgresLocation, PasswordIsNotShownInMessages) {
  const CvnResult result = runCvn(
      {"compare", "old", "new", "--db", "host=127.0.0.1 port=1 password=s3cret connect_timeout=5"},
      dir.path());
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err.find("s3cret"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("port='1'"), std::string::npos) << result.err;
}

TEST_F(PostgresLocation, BadConnectionStringIsNamed) {
  const CvnResult result =
      runCvn({"compare", "old", "new", "--db", "colour=blue dbname=x"}, dir.path());
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err,
            "cvn: cannot open database colour=blue dbname=x: invalid connection "
            "option \"colour\"\n");
}

}  // namespace
}  // namespace cvn::test
