// Which statements are bound rather than parsed, and the values SQL would read.
#include "storage/insert_row.hpp"

#include <gtest/gtest.h>

namespace cvn::test {
namespace {

using cli::InsertRow;

TEST(InsertRow, LiteralsAsSqlReadsThem) {
  const auto row = cli::parseInsertRow(
      "insert into t(a, b, c, d) values (1,'it''s, (x)', -9223372036854775808 ,NULL)");
  ASSERT_TRUE(row.has_value());
  EXPECT_EQ(row->head, "insert into t(a, b, c, d) values ");
  EXPECT_EQ(row->values, (std::vector<InsertRow::Value>{int64_t{1}, std::string("it's, (x)"),
                                                        INT64_MIN, InsertRow::Value{}}));
  // Anything else runs as SQL.
  for (const char* other :
       {"insert into t(a) values (1.5)", "insert into t(a) values (9223372036854775808)",
        "insert into t(a) values (1+1)", "insert into t(a) values ('open)",
        "insert into t(a) values (1),(2)", "insert into t(a) values (NULLS)",
        "insert into t(a) values (1", "update t set a = 1", "insert into t('a') values (1)"}) {
    EXPECT_FALSE(cli::parseInsertRow(other).has_value()) << other;
  }
}

}  // namespace
}  // namespace cvn::test
