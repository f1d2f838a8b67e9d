// The driver's matching and bookkeeping on two lists of 20,000 files with
// type "3", where no file is read.
#include <benchmark/benchmark.h>

#include <random>

#include "component/corvane.hpp"

namespace cvn::bench {
namespace {

struct TreeLists {
  std::u16string oldList;
  std::u16string newList;
};

TreeLists makeLists(size_t files, uint64_t seed) {
  std::mt19937_64 random(seed);
  TreeLists lists;
  auto append = [](std::u16string& list, const std::u16string& root, const std::u16string& rel) {
    if (!list.empty()) list += u"||";
    list += root + rel;
  };
  for (size_t k = 0; k < files; ++k) {
    const std::string text = "src/module" + std::to_string(k % 97) + "/sub" +
                             std::to_string(k % 13) + "/file_" + std::to_string(k) + ".c";
    const std::u16string rel(text.begin(), text.end());
    const auto roll = random() % 100;
    if (roll >= 5) append(lists.oldList, u"/work/old/", rel);               // 5% added
    if (roll < 5 || roll >= 10) append(lists.newList, u"/work/new/", rel);  // 5% deleted
  }
  return lists;
}

void BM_DirectoryType3(benchmark::State& state) {
  static const TreeLists lists = makeLists(20000, 7);
  for (auto _ : state) {
    Corvane comparer;
    benchmark::DoNotOptimize(comparer.compareFileList(u"/work/old", u"/work/new", lists.oldList,
                                                      lists.newList, u"//", 10, 0, 1, u"/*", u"*/",
                                                      u"3"));
  }
}
BENCHMARK(BM_DirectoryType3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace cvn::bench
