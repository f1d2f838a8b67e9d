#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "component/corvane.hpp"
#include "component/corvane_old.hpp"
#include "support/error_number.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

// Random trees compared on one thread and on four: the statement list, the state after the
// call and, when a listed file is missing, the error and the statements kept are the same.
template <typename Comparer>
void expectSameOnFourThreadsAsOnOne(uint32_t seed) {
  std::mt19937 random(seed);
  const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<uint32_t>(n)); };
  test::TempDir dir;
  const char* pieces[] = {"x = 1;", "// note", "/* a", "b */", "", "  y();", "int z;", "}"};
  std::u16string lists[2];
  for (int file = 0; file < 40; ++file) {
    const std::string name = "d" + std::to_string(pick(4)) + "/f" + std::to_string(file) + ".c";
    for (int side = 0; side < 2; ++side) {
      if (pick(5) == 0) continue;  // deleted or new
      std::string text;
      for (int line = pick(30); line > 0; --line) text += std::string(pieces[pick(8)]) + "\n";
      dir.write((side == 0 ? "old/" : "new/") + name, text);
      if (!lists[side].empty()) lists[side] += u"||";
      lists[side] += dir.u16((side == 0 ? "old/" : "new/") + name);
    }
  }
  // A file in the middle of the old list that is not there, though its match is.
  dir.write("new/gone.c", "x\n");
  const std::u16string missing = lists[0] + u"||" + dir.u16("old/gone.c") + u"||" + lists[0];
  lists[1] += u"||" + dir.u16("new/gone.c");

  for (const std::u16string& oldList : {lists[0], missing}) {
    for (const char16_t* type : {u"1", u"2"}) {
      std::u16string results[2];
      int errors[2] = {0, 0};
      ComparerState states[2];
      for (int run = 0; run < 2; ++run) {
        Comparer comparer;
        comparer.setWorkPool(std::make_shared<WorkPool>(run == 0 ? 1 : 4));
        errors[run] = test::errorNumberOf([&] {
          results[run] = comparer.compareFileList(dir.u16("old"), dir.u16("new"), oldList, lists[1],
                                                  u"//", 3, 0, 7, u"/*", u"*/", type);
        });
        states[run] = comparer.state();
      }
      EXPECT_EQ(errors[0], oldList == missing ? kFileNotFound : 0);
      EXPECT_EQ(errors[1], errors[0]);
      EXPECT_EQ(results[1], results[0]);
      EXPECT_EQ(states[1].strSQL, states[0].strSQL);
      EXPECT_GT(states[0].strSQL.size(), 1000u);
      EXPECT_EQ(states[1].blankInMultiComm, states[0].blankInMultiComm);
    }
  }
}

TEST(Parallel, SameStatementsOnFourThreadsAsOnOne) {
  for (uint32_t seed = 1; seed <= 5; ++seed) {
    SCOPED_TRACE(seed);
    expectSameOnFourThreadsAsOnOne<Corvane>(seed);
    expectSameOnFourThreadsAsOnOne<Corvane_old>(seed);
  }
}

}  // namespace
}  // namespace cvn
