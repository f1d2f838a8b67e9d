// The command's walk: the component's listing when nothing is filtered, and filters that
// prune folders before they are opened.
#include "compare/tree_listing.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>

#include "component/corvane.hpp"
#include "platform/error.hpp"
#include "platform/file_system.hpp"
#include "platform/utf.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

// The operating system's files, remembering which folders were opened.
class RecordingFileSystem final : public FileSystem {
 public:
  TextLines readTextFile(const std::u16string& path) override {
    return osFileSystem().readTextFile(path);
  }
  FolderListing listFolder(const std::u16string& path) override {
    opened.insert(utf16ToUtf8(path));
    return osFileSystem().listFolder(path);
  }
  bool fileExists(const std::u16string& path) override { return osFileSystem().fileExists(path); }
  bool folderExists(const std::u16string& path) override {
    return osFileSystem().folderExists(path);
  }
  std::set<std::string> opened;
};

std::vector<std::string> listed(const TempDir& dir, const cli::FileFilter& filter) {
  std::vector<std::string> paths;
  for (const std::u16string& file : cli::listTree(dir.u16(), filter)) {
    paths.push_back(cli::pathAfterRoot(file, dir.u16()));
  }
  return paths;
}

TEST(TreeListing, UnfilteredIsTheComponentsListingOnRandomTrees) {
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    TempDir dir;
    std::string folder;
    for (int k = 0; k < 40; ++k) {
      if (random() % 4 == 0)
        folder = random() % 2 == 0 ? "" : folder + "d" + std::to_string(k) + "/";
      dir.write(folder + "f" + std::to_string(random() % 30) + (random() % 2 ? ".c" : ""), "x\n");
    }
    Corvane component;
    const auto expected = component.listFiles(dir.u16());
    ASSERT_TRUE(expected.has_value());
    EXPECT_EQ(cli::listTree(dir.u16()), *expected);
  }
}

TEST(TreeListing, FiltersKeepAndPrune) {
  TempDir dir;
  for (const char* file : {"main.c", "src/a.c", "src/B.C", "src/sub/b.c", "src/x.h", "vendor/v.c",
                           "Third_party/t.c", "deps/jemalloc/j.c", "deps/other/o.c",
                           "lib/deps/jemalloc/k.c", ".git/hook.c", ".hg/h.c", "bad/a||b.c"}) {
    dir.write(file, "int x;\n");
  }
  struct Case {
    cli::FileFilter filter;
    std::vector<std::string> kept;
  };
  const std::vector<Case> cases = {
      {{.excludeDirs = {"bad"}},
       {"main.c", "Third_party/t.c", "deps/jemalloc/j.c", "deps/other/o.c", "lib/deps/jemalloc/k.c",
        "src/B.C", "src/a.c", "src/x.h", "src/sub/b.c", "vendor/v.c"}},
      {{.match = {"src/*.c"}, .exclude = {"*/sub/*"}, .excludeDirs = {"bad"}},
       {"src/B.C", "src/a.c"}},
      {{.match = {"*.H", "main.*"}, .excludeDirs = {"bad"}}, {"main.c", "src/x.h"}},
      {{.excludeDirs = {"bad", "third_*", "deps/jemalloc", "src", "vendor", "lib"}},
       {"main.c", "deps/other/o.c"}},
      {{.match = {"*.c"},
        .excludeDirs = {"bad", "src", "deps", "lib", "vendor", "Third_party"},
        .includeVcs = true},
       {"main.c", ".git/hook.c", ".hg/h.c"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> kept = listed(dir, c.filter);
    EXPECT_EQ(kept, c.kept);
  }
  // A folder left out is never opened: neither its bad names nor its permissions matter.
  RecordingFileSystem recording;
  const ScopedFileSystem installed(recording);
  EXPECT_THROW(listed(dir, {}), Error);
  recording.opened.clear();
  listed(dir, {.excludeDirs = {"bad"}});
  EXPECT_FALSE(recording.opened.contains(dir.path().string() + "/bad"));
  EXPECT_FALSE(recording.opened.contains(dir.path().string() + "/.git"));
}

TEST(TreeListing, GitignoreLeavesOutWhatGitIgnores) {
  for (const bool repository : {false, true}) {
    TempDir dir;
    for (const char* file : {"a.c", "a.o", "build/gen.c", "src/keep.c", "src/tmp.c", "logs/x.c"}) {
      dir.write(file, "int x;\n");
    }
    dir.write(".gitignore", "*.o\nbuild/\nsrc/tmp.c\n");
    dir.write("logs/.gitignore", "*\n");
    if (repository) {
      const std::string git = "git -C '" + dir.path().string() + "' ";
      ASSERT_EQ(std::system((git + "init -q && " + git + "add -f src/tmp.c").c_str()), 0);
    }
    // A tracked file is never ignored.
    const std::vector<std::string> expected =
        repository ? std::vector<std::string>{".gitignore", "a.c", "src/keep.c", "src/tmp.c"}
                   : std::vector<std::string>{".gitignore", "a.c", "src/keep.c"};
    EXPECT_EQ(listed(dir, {.gitignore = true}), expected) << repository;
  }
}

}  // namespace
}  // namespace cvn::test
