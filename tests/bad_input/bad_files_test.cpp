// Bad files and folders, through both comparer classes: missing, unreadable, replaced
// while a comparison runs, link cycles, binary, huge and empty.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <type_traits>

#include "bad_input_support.hpp"
#include "component/corvane.hpp"
#include "component/corvane_old.hpp"
#include "platform/error.hpp"

namespace cvn::test {
namespace {

// The value of a record "key<TAB>value" in a report whose records are joined by "\r".
std::string reportValue(const std::u16string& report, std::u16string_view key) {
  size_t start = 0;
  while (start <= report.size()) {
    const size_t end = std::min(report.find(u'\r', start), report.size());
    const std::u16string_view record(report.data() + start, end - start);
    if (record.starts_with(key) && record.size() > key.size() && record[key.size()] == u'\t') {
      return u8(record.substr(key.size() + 1));
    }
    start = end + 1;
  }
  return "<missing>";
}

template <typename Comparer>
std::u16string compareLists(Comparer& comparer, const TempDir& dir, const std::u16string& oldList,
                            const std::u16string& newList, const std::u16string& type = u"2") {
  return comparer.compareFileList(dir.u16("old"), dir.u16("new"), oldList, newList, u"//", 10, 0, 1,
                                  u"/*", u"*/", type);
}

template <typename Comparer>
class BothComparers : public ::testing::Test {
 protected:
  std::string base() const { return dir.path().string(); }
  // The settings compareFileList would store, for calls without it.
  static Comparer comparer() {
    Comparer c;
    c.state() = {.sessionID = 1,
                 .commentChar = u"//",
                 .multiBegComm = u"/*",
                 .multiEndComm = u"*/",
                 .diffThershold = 10};
    return c;
  }
  TempDir dir;
};

using Comparers = ::testing::Types<Corvane, Corvane_old>;
TYPED_TEST_SUITE(BothComparers, Comparers);

TYPED_TEST(BothComparers, MissingFileOrFolderIsNamed) {
  this->dir.write("a.c", "x\n");
  TypeParam comparer = this->comparer();
  for (const auto& files : {std::pair{"gone.c", "a.c"}, std::pair{"a.c", "gone.c"}}) {
    const Failure f = failureOf([&] {
      comparer.compareMatchedFiles(this->dir.u16(), this->dir.u16(files.first),
                                   this->dir.u16(files.second));
    });
    EXPECT_EQ(f.number, kFileNotFound);
    EXPECT_NE(f.description.find(this->base() + "/gone.c"), std::string::npos) << f.description;
  }
  const Failure folder = failureOf([&] {
    comparer.compareMatchedFiles(this->dir.u16(), this->dir.u16("nowhere/a.c"),
                                 this->dir.u16("a.c"));
  });
  EXPECT_EQ(folder.number, kPathNotFound);
  EXPECT_NE(folder.description.find(this->base() + "/nowhere/a.c"), std::string::npos);
  EXPECT_EQ(comparer.getFileList(this->dir.u16("nowhere")), u"1");
}

TYPED_TEST(BothComparers, FileRemovedAfterListingIsNamed) {
  this->dir.write("old/a.c", "int a;\n");
  this->dir.write("old/b.c", "int b;\n");
  this->dir.write("new/a.c", "int a;\n");
  this->dir.write("new/b.c", "int b;\n");
  TypeParam comparer = this->comparer();
  const std::u16string oldList = comparisonForm(comparer.getFileList(this->dir.u16("old")));
  const std::u16string newList = comparisonForm(comparer.getFileList(this->dir.u16("new")));
  fs::remove(this->dir.path() / "new" / "b.c");
  const Failure f = failureOf([&] { compareLists(comparer, this->dir, oldList, newList); });
  EXPECT_EQ(f.number, kFileNotFound);
  EXPECT_NE(f.description.find(this->base() + "/new/b.c"), std::string::npos) << f.description;
}

TYPED_TEST(BothComparers, UnreadableFileAndFolderAsNobody) {
  this->dir.write("old/a.c", "int a;\n");
  this->dir.write("new/a.c", "int b;\n");
  this->dir.write("new/locked/b.c", "int c;\n");
  fs::permissions(this->dir.path() / "new" / "a.c", fs::perms::none);
  fs::permissions(this->dir.path() / "new" / "locked", fs::perms::none);
  const std::string base = this->base();
  const TempDir& dir = this->dir;
  expectChildPasses(runCheck(
      [&] {
        TypeParam comparer = this->comparer();
        const Failure file = failureOf([&] {
          comparer.compareMatchedFiles(dir.u16(), dir.u16("old/a.c"), dir.u16("new/a.c"));
        });
        const Failure folder = failureOf([&] { comparer.getFileList(dir.u16("new")); });
        return childCheck(file.number == kPermissionDenied &&
                              file.description.find(base + "/new/a.c") != std::string::npos,
                          1, "file: " + std::to_string(file.number) + " " + file.description) |
               childCheck(folder.number == kPermissionDenied &&
                              folder.description.find(base + "/new/locked") != std::string::npos,
                          2, "folder: " + std::to_string(folder.number) + " " + folder.description);
      },
      {.asNobody = true}));
}

// A folder of the listing became a file before the comparison read it.
TYPED_TEST(BothComparers, FolderReplacedByFileBetweenListingAndComparing) {
  for (const char* side : {"old", "new"}) {
    for (const std::u16string type : {u"2", u"1"}) {
      TempDir dir;
      for (const char* tree : {"old", "new"}) {
        dir.write(std::string(tree) + "/b.c", "int b;\n");
        dir.write(std::string(tree) + "/sub/a.c", "int a;\n");
      }
      TypeParam comparer = this->comparer();
      const std::u16string oldList = comparisonForm(comparer.getFileList(dir.u16("old")));
      const std::u16string newList = comparisonForm(comparer.getFileList(dir.u16("new")));
      fs::remove_all(dir.path() / side / "sub");
      dir.write(std::string(side) + "/sub", "now a file\n");
      const Failure f = failureOf([&] { compareLists(comparer, dir, oldList, newList, type); });
      if (type == u"1" && std::string(side) == "new") {
        EXPECT_EQ(f.number, 0) << "counting reads the old files only";
        continue;
      }
      EXPECT_TRUE(f.number == kFileNotFound || f.number == kPathNotFound) << f.number;
      EXPECT_NE(f.description.find(dir.path().string() + "/" + side + "/sub"), std::string::npos)
          << f.description;
    }
  }
}

TYPED_TEST(BothComparers, FolderReplacedDuringTheComparison) {
  for (const char* tree : {"old", "new"}) {
    this->dir.write(std::string(tree) + "/a.c", "int a;\n");
    this->dir.write(std::string(tree) + "/sub/b.c", "int b;\n");
  }
  TypeParam comparer = this->comparer();
  const std::u16string oldList = comparisonForm(comparer.getFileList(this->dir.u16("old")));
  const std::u16string newList = comparisonForm(comparer.getFileList(this->dir.u16("new")));
  bool replaced = false;
  comparer.setProgressCallback([&](int64_t, int64_t, const std::u16string& file) {
    if (!replaced && file.ends_with(u"/sub/b.c")) {
      fs::remove_all(this->dir.path() / "new" / "sub");
      this->dir.write("new/sub", "now a file\n");
      replaced = true;
    }
  });
  const Failure f = failureOf([&] { compareLists(comparer, this->dir, oldList, newList); });
  EXPECT_TRUE(replaced);
  EXPECT_EQ(f.number, kPathNotFound);
  EXPECT_NE(f.description.find(this->base() + "/new/sub/b.c"), std::string::npos) << f.description;
}

TYPED_TEST(BothComparers, FileReplacedByFolderOrRootByFileIsNamed) {
  for (const char* tree : {"old", "new"}) this->dir.write(std::string(tree) + "/b.c", "int b;\n");
  TypeParam comparer = this->comparer();
  const std::u16string oldList = comparisonForm(comparer.getFileList(this->dir.u16("old")));
  const std::u16string newList = comparisonForm(comparer.getFileList(this->dir.u16("new")));
  fs::remove(this->dir.path() / "new" / "b.c");
  this->dir.mkdir("new/b.c");
  const Failure folder = failureOf([&] { compareLists(comparer, this->dir, oldList, newList); });
  EXPECT_EQ(folder.number, kFileNotFound);
  EXPECT_NE(folder.description.find(this->base() + "/new/b.c"), std::string::npos);

  fs::remove_all(this->dir.path() / "old");
  this->dir.write("old", "the old root is a file now\n");
  const Failure root = failureOf([&] { compareLists(comparer, this->dir, oldList, newList); });
  EXPECT_EQ(root.number, kPathNotFound);
  EXPECT_NE(root.description.find(this->base() + "/old/b.c"), std::string::npos);
}

// Link cycles, and a FIFO that would block a reader, are left out of listings; named
// directly, they are errors that name them.
TYPED_TEST(BothComparers, LinkCyclesAndFifosAreNotFollowed) {
  this->dir.write("old/a.c", "int a;\n");
  this->dir.write("new/a.c", "int a;\n");
  ASSERT_EQ(::mkfifo((this->dir.path() / "old" / "pipe.c").c_str(), 0644), 0);
  fs::create_directory_symlink("..", this->dir.path() / "old" / "up");
  fs::create_directory_symlink(".", this->dir.path() / "new" / "here");
  fs::create_symlink("self.c", this->dir.path() / "old" / "self.c");
  fs::create_symlink("pong.c", this->dir.path() / "old" / "ping.c");
  fs::create_symlink("ping.c", this->dir.path() / "old" / "pong.c");
  TypeParam comparer = this->comparer();
  EXPECT_EQ(comparer.getFileList(this->dir.u16("old")), this->dir.u16("old/a.c"));
  EXPECT_EQ(comparer.getFileList(this->dir.u16("new")), this->dir.u16("new/a.c"));
  // Named directly, a link cycle is an error that names it.
  const Failure f = failureOf([&] {
    comparer.compareMatchedFiles(this->dir.u16(), this->dir.u16("old/ping.c"),
                                 this->dir.u16("new/a.c"));
  });
  EXPECT_NE(f.number, 0);
  EXPECT_NE(f.description.find(this->base() + "/old/ping.c"), std::string::npos) << f.description;
  const Failure fifo = failureOf([&] {
    comparer.compareMatchedFiles(this->dir.u16(), this->dir.u16("new/a.c"),
                                 this->dir.u16("old/pipe.c"));
  });
  EXPECT_EQ(fifo.number, kPathFileAccessError);
  EXPECT_NE(fifo.description.find(this->base() + "/old/pipe.c"), std::string::npos);
}

TYPED_TEST(BothComparers, BinaryFilesWithNulBytes) {
  using namespace std::string_literals;
  this->dir.write("old.c", "a\0b\n\0\n"s);
  this->dir.write("new.c", "a\0b\n\0\0\n"s);
  TypeParam comparer = this->comparer();
  const std::u16string report =
      comparer.compareMatchedFiles(this->dir.u16(), this->dir.u16("old.c"), this->dir.u16("new.c"));
  EXPECT_EQ(reportValue(report, u"samelines"), "1");
  EXPECT_EQ(reportValue(report, u"changedlines"), "1");
  // The legacy pass offers the paired "a\0b" again, and it is close enough to "\0\0".
  const bool legacy = std::is_same_v<TypeParam, Corvane_old>;
  EXPECT_EQ(reportValue(report, u"dellines"), legacy ? "1" : "0");
  EXPECT_EQ(reportValue(report, u"newlines"), "0");
}

TYPED_TEST(BothComparers, TenMegabyteSingleLine) {
  std::string line(10 * 1024 * 1024, 'x');
  this->dir.write("old.c", line);  // no line end
  line[5'000'000] = 'y';
  this->dir.write("new.c", line + "\n");
  this->dir.write("empty.c", "");
  TypeParam comparer = this->comparer();
  const std::u16string report =
      comparer.compareMatchedFiles(this->dir.u16(), this->dir.u16("old.c"), this->dir.u16("new.c"));
  EXPECT_EQ(reportValue(report, u"samelines"), "0");
  EXPECT_EQ(reportValue(report, u"changedlines"), "1");
  EXPECT_EQ(reportValue(report, u"totallinesOne"), "1");
  const std::u16string gone = comparer.compareMatchedFiles(this->dir.u16(), this->dir.u16("old.c"),
                                                           this->dir.u16("empty.c"));
  EXPECT_EQ(reportValue(gone, u"dellines"), "1");
  EXPECT_EQ(reportValue(gone, u"newlines"), "0");
}

// "line <k>" for k below count; every 100,000th line from 50,000 on gets an "x".
std::string numberedLines(int count, bool edited) {
  std::string text;
  text.reserve(static_cast<size_t>(count) * 14);
  for (int k = 0; k < count; ++k) {
    text += "line ";
    text += std::to_string(k);
    if (edited && k % 100'000 == 50'000) text += 'x';
    text += '\n';
  }
  return text;
}

TYPED_TEST(BothComparers, TwoMillionLineFile) {
  constexpr int kLines = 2'000'000;
  this->dir.write("old.c", numberedLines(kLines, false));
  this->dir.write("new.c",
                  numberedLines(kLines, true) + "a new line far longer than any numbered line\n");
  TypeParam comparer = this->comparer();
  const std::u16string report =
      comparer.compareMatchedFiles(this->dir.u16(), this->dir.u16("old.c"), this->dir.u16("new.c"));
  EXPECT_EQ(reportValue(report, u"samelines"), std::to_string(kLines - 20));
  EXPECT_EQ(reportValue(report, u"changedlines"), "20");
  EXPECT_EQ(reportValue(report, u"newlines"), "1");
  // The legacy pass offers paired old lines again: "line 0" to "line 19" take the
  // edited lines, whose own old lines are then deleted.
  const bool legacy = std::is_same_v<TypeParam, Corvane_old>;
  EXPECT_EQ(reportValue(report, u"dellines"), legacy ? "20" : "0");
  EXPECT_EQ(reportValue(report, u"totallinesTwo"), std::to_string(kLines + 1));
}

TYPED_TEST(BothComparers, EmptyFiles) {
  this->dir.write("old/empty.c", "");
  this->dir.write("new/empty.c", "");
  this->dir.write("old/grows.c", "");
  this->dir.write("new/grows.c", "int x;\n");
  this->dir.write("old/blank.c", "\n");
  this->dir.write("new/blank.c", "");
  TypeParam comparer = this->comparer();
  const std::u16string both = comparer.compareMatchedFiles(
      this->dir.u16("old"), this->dir.u16("old/empty.c"), this->dir.u16("new/empty.c"));
  for (const auto* key : {u"samelines", u"changedlines", u"dellines", u"newlines"}) {
    EXPECT_EQ(reportValue(both, key), "0") << u8(key);
  }
  const std::u16string grows = comparer.compareMatchedFiles(
      this->dir.u16("old"), this->dir.u16("old/grows.c"), this->dir.u16("new/grows.c"));
  EXPECT_EQ(reportValue(grows, u"newlines"), "1");
  const std::u16string list =
      compareLists(comparer, this->dir, comparisonForm(comparer.getFileList(this->dir.u16("old"))),
                   comparisonForm(comparer.getFileList(this->dir.u16("new"))));
  EXPECT_TRUE(list.ends_with(u"values (1,3,0,0,'" + this->dir.u16("old/") + u"','" +
                             this->dir.u16("new/") + u"')|||"))
      << u8(list);
}

}  // namespace
}  // namespace cvn::test
