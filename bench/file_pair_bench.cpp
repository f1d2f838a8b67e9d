// The whole compareMatchedFiles call, files read included, with the markers
// //, /* and */.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "component/corvane.hpp"
#include "platform/utf.hpp"
#include "source_generator.hpp"

namespace cvn::bench {
namespace {

class FilePair {
 public:
  FilePair(const std::string& name, const std::vector<std::string>& one,
           const std::vector<std::string>& two) {
    folder_ = std::filesystem::temp_directory_path() / ("cvn-bench-" + name);
    std::filesystem::create_directories(folder_);
    write(folder_ / "one.c", one);
    write(folder_ / "two.c", two);
  }
  ~FilePair() { std::filesystem::remove_all(folder_); }

  std::u16string one() const { return utf8ToUtf16((folder_ / "one.c").string()); }
  std::u16string two() const { return utf8ToUtf16((folder_ / "two.c").string()); }
  std::u16string root() const { return utf8ToUtf16(folder_.string()); }

 private:
  static void write(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    std::ofstream(path, std::ios::binary) << joinLines(lines);
  }
  std::filesystem::path folder_;
};

void compare(benchmark::State& state, const FilePair& files, int16_t threshold) {
  for (auto _ : state) {
    Corvane comparer;  // a fresh statement list each time
    comparer.state() = {.sessionID = 1,
                        .commentChar = u"//",
                        .multiBegComm = u"/*",
                        .multiEndComm = u"*/",
                        .diffThershold = threshold};
    benchmark::DoNotOptimize(comparer.compareMatchedFiles(files.root(), files.one(), files.two()));
  }
}

void BM_EditedCFile5000(benchmark::State& state) {
  const auto one = cLikeLines(5000, 11);
  static const FilePair files("edited", one, editedVersion(one, 0.02, 100, 0.01, 0.01, 12));
  compare(state, files, 10);
}
BENCHMARK(BM_EditedCFile5000)->Unit(benchmark::kMillisecond);

void BM_HardHexT10(benchmark::State& state) {
  static const FilePair files("hex", hexAssignments(20000, 21), hexAssignments(20000, 22));
  compare(state, files, 10);
}
BENCHMARK(BM_HardHexT10)->Unit(benchmark::kMillisecond);

void BM_HardHexT4(benchmark::State& state) {
  static const FilePair files("hex4", hexAssignments(20000, 21), hexAssignments(20000, 22));
  compare(state, files, 4);
}
BENCHMARK(BM_HardHexT4)->Unit(benchmark::kMillisecond);

void BM_LargeFile200000(benchmark::State& state) {
  const auto one = cLikeLines(200000, 31);
  static const FilePair files("large", one, editedVersion(one, 0.01, 0, 0, 0, 32));
  compare(state, files, 10);
}
BENCHMARK(BM_LargeFile200000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace cvn::bench
