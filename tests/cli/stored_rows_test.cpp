#include <gtest/gtest.h>

#include <fmt/format.h>

#include "run_cvn.hpp"
#include "sqlite_rows.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

// The stored rows are the rows of the printed statements, in their order, however many.
class StoredRows : public ::testing::TestWithParam<bool> {};

TEST_P(StoredRows, AreTheRowsOfTheStatements) {
  const bool legacy = GetParam();
  TempDir dir;
  // More files than one batch of rows takes, a few changed, deleted or new.
  for (int k = 0; k < 1234; ++k) {
    const std::string name = fmt::format("d{}/f{:04}.c", k % 7, k);
    const std::string body = fmt::format("// file {}\nint v{} = {};\n", k, k, k);
    if (k % 97 != 1) dir.write("old/" + name, body);
    if (k % 89 != 2) dir.write("new/" + name, k % 13 == 0 ? body + "int extra;\n" : body);
  }
  std::vector<std::string> args = {"compare", "old", "new"};
  if (legacy) args.emplace_back("--legacy");

  std::vector<std::string> store = args;
  store.insert(store.end(), {"--db", "stored.db"});
  const CvnResult stored = runCvn(store, dir.path());
  ASSERT_EQ(stored.status, 0) << stored.err;
  std::vector<std::string> print = args;
  print.emplace_back("--sql");
  const CvnResult printed = runCvn(print, dir.path());
  ASSERT_EQ(printed.status, 0) << printed.err;

  // The same tables, empty, then the statements one by one.
  ASSERT_EQ(runCvn({"compare", "old", "new", "--match", "none", "--db", "replayed.db"}, dir.path())
                .status,
            0);
  std::string script = printed.out;
  for (size_t at = script.find("|||"); at != std::string::npos; at = script.find("|||", at)) {
    script.replace(at, 3, ";\n");
  }
  executeOn(dir.path() / "replayed.db",
            "DELETE FROM dir_compare_results; DELETE FROM cvn_runs; " + script);

  for (const char* table : {"file_compare_results", "dir_compare_results"}) {
    const std::string sql = fmt::format("SELECT * FROM {} ORDER BY rowid", table);
    const Rows expected = queryRows(dir.path() / "replayed.db", sql);
    EXPECT_EQ(queryRows(dir.path() / "stored.db", sql), expected) << table;
    EXPECT_GT(expected.size(), 0u);
  }
  EXPECT_EQ(queryRows(dir.path() / "stored.db", "SELECT COUNT(*) FROM file_compare_results"),
            queryRows(dir.path() / "replayed.db", "SELECT COUNT(*) FROM file_compare_results"));
}

INSTANTIATE_TEST_SUITE_P(Comparers, StoredRows, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Legacy" : "Current"; });

}  // namespace
}  // namespace cvn::test
