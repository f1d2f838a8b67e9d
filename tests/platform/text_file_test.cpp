#include "platform/text_file.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/file_system.hpp"
#include "support/as_nobody.hpp"
#include "support/error_number.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

using test::errorNumberOf;
using test::TempDir;

struct SplitCase {
  std::string text;
  std::vector<std::string_view> lines;
};

TEST(SplitLines, TerminatorsAndTheLastLine) {
  const std::vector<SplitCase> cases = {
      {"", {}},
      {"a", {"a"}},
      {"a\n", {"a"}},
      {"a\n\n", {"a", ""}},
      {"a\r\nb", {"a", "b"}},
      {"\r\n", {""}},
      {"a\rb\n", {"a\rb"}},
      {"a\r", {"a\r"}},
      {"a\r\r\n", {"a\r"}},
      {"\n\n\n", {"", "", ""}},
      {std::string("x\0y\n", 4), {std::string_view("x\0y", 3)}},
  };
  for (const SplitCase& c : cases) EXPECT_EQ(splitLines(c.text), c.lines) << c.text;
}

TEST(ReadTextFile, KeepsEveryByte) {
  TempDir dir;
  dir.write("a.txt", "caf\xE9 \x80\r\nend");
  const TextLines text = FileSystem::current().readTextFile(dir.u16("a.txt"));
  ASSERT_EQ(text.size(), 2u);
  EXPECT_EQ(text.lines()[0], "caf\xE9 \x80");
  EXPECT_EQ(text.lines()[1], "end");
}

TEST(ReadTextFile, NamesThatAreNotUtf8CanBeOpened) {
  TempDir dir;
  dir.write("n\xFF\xC3.c", "x\n");
  const std::u16string path = dir.u16("n\xFF\xC3.c");
  EXPECT_NE(path.find(u'\xDCFF'), std::u16string::npos);
  EXPECT_EQ(FileSystem::current().readTextFile(path).size(), 1u);
}

TEST(ReadTextFile, ErrorNumbersNameThePath) {
  TempDir dir;
  dir.write("file.txt", "x");
  dir.mkdir("folder");
  FileSystem& fs = FileSystem::current();
  struct Case {
    std::u16string path;
    int32_t number;
  };
  const std::vector<Case> cases = {
      {dir.u16("missing.txt"), kFileNotFound},
      {dir.u16("folder"), kFileNotFound},
      {u"", kFileNotFound},
      {dir.u16("x") + u"\xD800", kFileNotFound},
      {dir.u16("nowhere/missing.txt"), kPathNotFound},
      {dir.u16("file.txt/inner.txt"), kPathNotFound},
  };
  for (const Case& c : cases) {
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { fs.readTextFile(c.path); }, &description), c.number)
        << test::u8(c.path);
    if (!c.path.empty() && c.number == kPathNotFound) {
      EXPECT_NE(description.find(test::u8(c.path)), std::string::npos) << description;
    }
  }
}

TEST(ReadTextFile, PermissionDenied) {
  TempDir dir;
  const auto file = dir.write("secret.txt", "x");
  ASSERT_EQ(chmod(file.c_str(), 0), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  const std::u16string path = dir.u16("secret.txt");
  EXPECT_EQ(test::runAsNobody([&] {
              return errorNumberOf([&] { FileSystem::current().readTextFile(path); });
            }),
            kPermissionDenied);
}

TEST(ReadTextFile, FifoIsRefusedWithoutBlocking) {
  TempDir dir;
  const auto fifo = dir.path() / "pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(errorNumberOf([&] { FileSystem::current().readTextFile(dir.u16("pipe")); }),
            kPathFileAccessError);
}

}  // namespace
}  // namespace cvn
