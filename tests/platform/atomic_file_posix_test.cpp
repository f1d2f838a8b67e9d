#include "platform/atomic_file.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "support/as_nobody.hpp"
#include "support/error_number.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

using test::errorNumberOf;
using test::runAsNobody;
using test::TempDir;
using test::u16;

std::string contentOf(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::set<std::string> namesIn(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

mode_t modeOf(const std::filesystem::path& file) {
  struct stat st {};
  EXPECT_EQ(::stat(file.c_str(), &st), 0);
  return st.st_mode & 07777;
}

TEST(WriteFileAtomically, CreatesANewFileWithTheExactBytes) {
  TempDir dir;
  const std::string bytes("a\r\0b\xFF", 5);
  writeFileAtomically(dir.u16("new.txt"), bytes);
  EXPECT_EQ(contentOf(dir.path() / "new.txt"), bytes);
  EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"new.txt"});
}

TEST(WriteFileAtomically, EmptyContentGivesAnEmptyFile) {
  TempDir dir;
  dir.write("old.txt", "old content");
  writeFileAtomically(dir.u16("old.txt"), "");
  EXPECT_EQ(contentOf(dir.path() / "old.txt"), "");
}

TEST(WriteFileAtomically, ReplacesAnExistingFileKeepingItsMode) {
  TempDir dir;
  const auto file = dir.write("old.txt", "a much longer old content");
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  writeFileAtomically(dir.u16("old.txt"), "new");
  EXPECT_EQ(contentOf(file), "new");
  EXPECT_EQ(modeOf(file), 0640u);
  EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"old.txt"});
}

TEST(WriteFileAtomically, RawByteNamesRoundTrip) {
  TempDir dir;
  // U+DCE9 stands for the byte 0xE9, which alone is no UTF-8.
  writeFileAtomically(dir.u16() + u"/caf\xDCE9.txt", "x");
  EXPECT_EQ(contentOf(dir.path() / "caf\xE9.txt"), "x");
}

TEST(WriteFileAtomically, ASymbolicLinkIsReplacedAtItsTarget) {
  TempDir dir;
  dir.mkdir("real");
  const auto real = dir.write("real/target.txt", "old");
  ASSERT_EQ(::symlink("real/target.txt", (dir.path() / "relative").c_str()), 0);
  ASSERT_EQ(::symlink(real.c_str(), (dir.path() / "absolute").c_str()), 0);
  ASSERT_EQ(::symlink("relative", (dir.path() / "chain").c_str()), 0);

  writeFileAtomically(dir.u16("chain"), "one");
  EXPECT_EQ(contentOf(real), "one");
  writeFileAtomically(dir.u16("absolute"), "two");
  EXPECT_EQ(contentOf(real), "two");
  for (const char* link : {"relative", "absolute", "chain"}) {
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / link)) << link;
  }
  EXPECT_EQ(namesIn(dir.path() / "real"), std::set<std::string>{"target.txt"});
}

TEST(WriteFileAtomically, ADanglingLinkCreatesTheFileItNames) {
  TempDir dir;
  ASSERT_EQ(::symlink("made.txt", (dir.path() / "link").c_str()), 0);
  writeFileAtomically(dir.u16("link"), "x");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "link"));
  EXPECT_EQ(contentOf(dir.path() / "made.txt"), "x");
}

TEST(WriteFileAtomically, ALoopOfLinksIsAnAccessError) {
  TempDir dir;
  ASSERT_EQ(::symlink("b", (dir.path() / "a").c_str()), 0);
  ASSERT_EQ(::symlink("a", (dir.path() / "b").c_str()), 0);
  EXPECT_EQ(errorNumberOf([&] { writeFileAtomically(dir.u16("a"), "x"); }), 75);
}

TEST(WriteFileAtomically, AMissingFolderIsPathNotFound) {
  TempDir dir;
  std::string description;
  EXPECT_EQ(
      errorNumberOf([&] { writeFileAtomically(dir.u16("missing/out.txt"), "x"); }, &description),
      76);
  EXPECT_NE(description.find("missing/out.txt"), std::string::npos) << description;
  dir.write("file", "");
  EXPECT_EQ(errorNumberOf([&] { writeFileAtomically(dir.u16("file/out.txt"), "x"); }), 76);
}

TEST(WriteFileAtomically, AFolderOrABadNameIsAnAccessError) {
  TempDir dir;
  dir.mkdir("folder");
  EXPECT_EQ(errorNumberOf([&] { writeFileAtomically(dir.u16("folder"), "x"); }), 75);
  EXPECT_EQ(errorNumberOf([&] { writeFileAtomically(dir.u16("folder/"), "x"); }), 75);
  EXPECT_EQ(errorNumberOf([&] { writeFileAtomically(dir.u16("none/"), "x"); }), 76);
  EXPECT_EQ(errorNumberOf([&] { writeFileAtomically(u"", "x"); }), 75);
  EXPECT_EQ(errorNumberOf([&] { writeFileAtomically(dir.u16() + u"/a\xD800", "x"); }), 75);
  EXPECT_EQ(errorNumberOf([&] { writeFileAtomically(dir.u16() + u"/a" + u'\0' + u"b", "x"); }), 75);
  ASSERT_EQ(::mkfifo((dir.path() / "fifo").c_str(), 0600), 0);
  EXPECT_EQ(errorNumberOf([&] { writeFileAtomically(dir.u16("fifo"), "x"); }), 75);
  EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"fifo", "folder"}));
}

TEST(WriteFileAtomically, AReadOnlyFileIsRefusedEvenToRoot) {
  TempDir dir;
  const auto file = dir.write("locked.txt", "keep");
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
  std::string description;
  EXPECT_EQ(errorNumberOf([&] { writeFileAtomically(dir.u16("locked.txt"), "new"); }, &description),
            70);
  EXPECT_NE(description.find("locked.txt"), std::string::npos) << description;
  EXPECT_EQ(contentOf(file), "keep");
  EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"locked.txt"});
}

TEST(WriteFileAtomically, AFileOthersOwnIsRefusedToAnUnprivilegedUser) {
  TempDir dir;
  const auto file = dir.write("theirs.txt", "keep");
  ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
  // The folder lets anyone create files: only the file's own permission refuses.
  ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
  const int result = runAsNobody(
      [&] { return errorNumberOf([&] { writeFileAtomically(dir.u16("theirs.txt"), "new"); }); });
  EXPECT_EQ(result, 70);
  EXPECT_EQ(contentOf(file), "keep");
  EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"theirs.txt"});
}

TEST(WriteFileAtomically, AFolderThatMayNotBeWrittenIsRefused) {
  TempDir dir;
  const auto folder = dir.mkdir("shut");
  // Anyone may write the file, but only root may change the folder.
  const auto file = dir.write("shut/open.txt", "keep");
  ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
  const int replacing = runAsNobody(
      [&] { return errorNumberOf([&] { writeFileAtomically(dir.u16("shut/open.txt"), "new"); }); });
  EXPECT_EQ(replacing, 70);
  const int creating = runAsNobody(
      [&] { return errorNumberOf([&] { writeFileAtomically(dir.u16("shut/new.txt"), "new"); }); });
  EXPECT_EQ(creating, 70);
  EXPECT_EQ(contentOf(file), "keep");
  EXPECT_EQ(namesIn(folder), std::set<std::string>{"open.txt"});
}

TEST(WriteFileAtomically, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
  TempDir dir;
  const auto file = dir.write("old.txt", "old content");
  // A file size limit makes the write itself fail, after the temporary file exists.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4, 4};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(254);
    _exit(errorNumberOf([&] { writeFileAtomically(dir.u16("old.txt"), "new and longer"); }));
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 75);
  EXPECT_EQ(contentOf(file), "old content");
  EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"old.txt"});
}

}  // namespace
}  // namespace cvn
