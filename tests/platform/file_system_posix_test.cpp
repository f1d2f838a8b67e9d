#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_system.hpp"
#include "platform/whole_file.hpp"
#include "support/as_nobody.hpp"
#include "support/error_number.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

using test::errorNumberOf;
using test::TempDir;
using test::u16;

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

TEST(ReadFileIfPresent, NothingOnlyWhenNothingHasTheName) {
  TempDir dir;
  dir.write("a", "x");
  EXPECT_EQ(readFileIfPresent(dir.u16("a")), std::vector<char>{'x'});
  EXPECT_EQ(readFileIfPresent(dir.u16("missing")), std::nullopt);
  EXPECT_EQ(readFileIfPresent(dir.u16("nowhere/missing")), std::nullopt);
}

TEST(ReadTextFile, PermissionDenied) {
  TempDir dir;
  const auto file = dir.write("secret.txt", "x");
  ASSERT_EQ(chmod(file.c_str(), 0), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  const std::u16string path = dir.u16("secret.txt");
  EXPECT_EQ(test::runAsNobody(
                [&] { return errorNumberOf([&] { FileSystem::current().readTextFile(path); }); }),
            kPermissionDenied);
}

TEST(ReadTextFile, FifoIsRefusedWithoutBlocking) {
  TempDir dir;
  const auto fifo = dir.path() / "pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(errorNumberOf([&] { FileSystem::current().readTextFile(dir.u16("pipe")); }),
            kPathFileAccessError);
}

TEST(ListFolder, SortedByNameBytes) {
  TempDir dir;
  for (const char* name : {"b.c", "B.c", "a.c", "_x", "\xC3\xA9.c"}) dir.write(name, "");
  dir.mkdir("sub");
  dir.mkdir("Sub");
  const FolderListing listing = FileSystem::current().listFolder(dir.u16());
  const std::u16string root = dir.u16();
  EXPECT_EQ(listing.path, root);
  EXPECT_EQ(listing.files,
            (std::vector<std::u16string>{root + u"/B.c", root + u"/_x", root + u"/a.c",
                                         root + u"/b.c", root + u"/\u00E9.c"}));
  EXPECT_EQ(listing.subFolders, (std::vector<std::u16string>{root + u"/Sub", root + u"/sub"}));
}

TEST(ListFolder, LinksAndSpecialFiles) {
  TempDir dir;
  dir.write("real.c", "x");
  dir.mkdir("folder");
  ASSERT_EQ(symlink("real.c", (dir.path() / "to-file").c_str()), 0);
  ASSERT_EQ(symlink("folder", (dir.path() / "to-folder").c_str()), 0);
  ASSERT_EQ(symlink("missing", (dir.path() / "broken").c_str()), 0);
  ASSERT_EQ(symlink(".", (dir.path() / "folder" / "loop").c_str()), 0);
  ASSERT_EQ(mkfifo((dir.path() / "fifo").c_str(), 0600), 0);
  const std::u16string root = dir.u16();
  const FolderListing listing = FileSystem::current().listFolder(root);
  EXPECT_EQ(listing.files, (std::vector<std::u16string>{root + u"/real.c", root + u"/to-file"}));
  EXPECT_EQ(listing.subFolders, (std::vector<std::u16string>{root + u"/folder"}));
  // A root that is itself a link to a folder is opened as given.
  const FolderListing viaLink = FileSystem::current().listFolder(root + u"/to-folder");
  EXPECT_EQ(viaLink.path, root + u"/to-folder");
  EXPECT_TRUE(viaLink.files.empty() && viaLink.subFolders.empty());
}

TEST(ListFolder, TrailingSeparatorsAreDropped) {
  TempDir dir;
  dir.write("a", "");
  const FolderListing listing = FileSystem::current().listFolder(dir.u16() + u"//");
  EXPECT_EQ(listing.path, dir.u16());
  EXPECT_EQ(listing.files, std::vector<std::u16string>{dir.u16("a")});
  EXPECT_EQ(FileSystem::current().listFolder(u"/").path, u"/");
  for (const auto& sub : FileSystem::current().listFolder(u"/").subFolders) {
    EXPECT_NE(sub.substr(0, 2), u"//");
  }
}

TEST(ListFolder, Errors) {
  TempDir dir;
  dir.write("file", "");
  FileSystem& fs = FileSystem::current();
  EXPECT_EQ(errorNumberOf([&] { fs.listFolder(dir.u16("missing")); }), kPathNotFound);
  EXPECT_EQ(errorNumberOf([&] { fs.listFolder(dir.u16("file")); }), kPathNotFound);
  EXPECT_EQ(errorNumberOf([&] { fs.listFolder(u""); }), kPathNotFound);
  const auto locked = dir.mkdir("locked");
  ASSERT_EQ(chmod(locked.c_str(), 0), 0);
  const std::u16string path = dir.u16("locked");
  EXPECT_EQ(test::runAsNobody([&] { return errorNumberOf([&] { fs.listFolder(path); }); }),
            kPermissionDenied);
}

TEST(Exists, FilesAndFolders) {
  TempDir dir;
  dir.write("f", "");
  ASSERT_EQ(symlink("f", (dir.path() / "l").c_str()), 0);
  FileSystem& fs = FileSystem::current();
  EXPECT_TRUE(fs.fileExists(dir.u16("f")));
  EXPECT_TRUE(fs.fileExists(dir.u16("l")));
  EXPECT_FALSE(fs.fileExists(dir.u16()));
  EXPECT_FALSE(fs.fileExists(u""));
  EXPECT_FALSE(fs.fileExists(dir.u16("f") + u"\xD800"));
  EXPECT_TRUE(fs.folderExists(dir.u16()));
  EXPECT_FALSE(fs.folderExists(dir.u16("f")));
  EXPECT_FALSE(fs.folderExists(dir.u16("missing")));
}

}  // namespace
}  // namespace cvn
