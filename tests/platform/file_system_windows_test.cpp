// The Windows file system, run under Wine: names joined with "\", sorted by
// UTF-16 code units, errors by number, files in use still readable.
#include <gtest/gtest.h>
#include <windows.h>
// needs the types of windows.h
#include <winioctl.h>

#include <string>
#include <vector>

#include "platform/file_system.hpp"
#include "support/error_number.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

using test::errorNumberOf;
using test::TempDir;

const wchar_t* wide(const std::u16string& path) {
  return reinterpret_cast<const wchar_t*>(path.c_str());
}

// A handle another program holds on a file; closed with the object.
class Holder {
 public:
  Holder(const std::u16string& path, DWORD access, DWORD share)
      : handle_(::CreateFileW(wide(path), access, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~Holder() {
    if (valid()) ::CloseHandle(handle_);
  }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

std::vector<std::string> linesOf(const TextLines& text) {
  return {text.lines().begin(), text.lines().end()};
}

TEST(WindowsListFolder, BackslashJoinedAndSortedByCodeUnits) {
  TempDir dir;
  // U+1F600 is a surrogate pair (D83D DE00): by code units it sorts before
  // U+FF21, by code points after it.
  for (const char* name :
       {"b.c", "B1.c", "a.c", "_x", "\xC3\xA9.c", "\xEF\xBC\xA1.c", "\xF0\x9F\x98\x80.c"}) {
    dir.write(name, "");
  }
  dir.mkdir("sub");
  dir.mkdir("Sub2");
  const std::u16string root = dir.u16();
  const FolderListing listing = FileSystem::current().listFolder(root);
  EXPECT_EQ(listing.path, root);
  EXPECT_EQ(listing.files,
            (std::vector<std::u16string>{root + u"\\B1.c", root + u"\\_x", root + u"\\a.c",
                                         root + u"\\b.c", root + u"\\\u00E9.c",
                                         root + u"\\\U0001F600.c", root + u"\\\uFF21.c"}));
  EXPECT_EQ(listing.subFolders, (std::vector<std::u16string>{root + u"\\Sub2", root + u"\\sub"}));
}

TEST(WindowsListFolder, TrailingSeparatorsAreDroppedButRootsKeepTheirs) {
  TempDir dir;
  dir.write("a", "");
  const std::u16string root = dir.u16();
  struct Case {
    std::u16string path;
    std::u16string listed;
  };
  const std::vector<Case> cases = {
      {root, root},          {root + u"\\", root}, {root + u"\\\\", root}, {root + u"/", root},
      {root + u"\\/", root}, {u"C:\\", u"C:\\"},   {u"C:\\\\", u"C:\\"},   {u"C:/", u"C:/"},
  };
  for (const Case& c : cases) {
    const FolderListing listing = FileSystem::current().listFolder(c.path);
    EXPECT_EQ(listing.path, c.listed) << test::u8(c.path);
    for (const auto& entry : listing.files) {
      EXPECT_EQ(entry.rfind(c.listed, 0), 0u) << test::u8(entry);
      EXPECT_EQ(entry.find(u"\\\\"), std::u16string::npos) << test::u8(entry);
    }
  }
  EXPECT_EQ(FileSystem::current().listFolder(root + u"\\").files,
            std::vector<std::u16string>{root + u"\\a"});
  // The drive's own folders, each named once below its root.
  const FolderListing drive = FileSystem::current().listFolder(u"C:\\");
  ASSERT_FALSE(drive.subFolders.empty());
  for (const auto& sub : drive.subFolders) {
    EXPECT_EQ(sub.substr(0, 3), u"C:\\");
    EXPECT_NE(sub[3], u'\\');
  }
}

TEST(WindowsListFolder, ErrorsByNumber) {
  TempDir dir;
  dir.write("file", "");
  const std::vector<std::pair<std::u16string, int32_t>> cases = {
      {dir.u16("missing"), kPathNotFound},
      {dir.u16("missing\\deeper"), kPathNotFound},
      {dir.u16("file"), kPathNotFound},
      {dir.u16("file\\"), kPathNotFound},
      {u"", kPathNotFound},
      {dir.u16() + std::u16string(1, u'\0') + u"x", kPathNotFound},
  };
  for (const auto& [path, number] : cases) {
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { FileSystem::current().listFolder(path); }, &description), number)
        << test::u8(path);
    if (!path.empty()) {
      EXPECT_NE(description.find("cvn-test-"), std::string::npos) << description;
    }
  }
}

TEST(WindowsReadTextFile, ErrorsByNumber) {
  TempDir dir;
  dir.write("file", "x\n");
  dir.mkdir("folder");
  const std::vector<std::pair<std::u16string, int32_t>> cases = {
      {dir.u16("missing"), kFileNotFound},
      {dir.u16("missing\\file"), kPathNotFound},
      {dir.u16("folder"), kFileNotFound},
      {dir.u16("folder\\"), kFileNotFound},
      {u"", kFileNotFound},
      {dir.u16("fi") + std::u16string(1, u'\0') + u"le", kFileNotFound},
      // A device is no text file.
      {u"NUL", kPathFileAccessError},
  };
  for (const auto& [path, number] : cases) {
    EXPECT_EQ(errorNumberOf([&] { FileSystem::current().readTextFile(path); }), number)
        << test::u8(path);
  }
}

TEST(WindowsReadTextFile, DescriptionNamesThePathInUtf8) {
  TempDir dir;
  std::string description;
  EXPECT_EQ(errorNumberOf([&] { FileSystem::current().readTextFile(dir.u16("caf\xC3\xA9.c")); },
                          &description),
            kFileNotFound);
  EXPECT_NE(description.find("caf\xC3\xA9.c"), std::string::npos) << description;
}

// Files another program holds open are still read, whatever access it took,
// as long as it shares reading.
TEST(WindowsReadTextFile, FilesInUseAreRead) {
  TempDir dir;
  dir.write("f.c", "a\r\nb\n");
  const std::u16string path = dir.u16("f.c");
  const std::vector<std::pair<DWORD, DWORD>> holders = {
      {GENERIC_READ, FILE_SHARE_READ},
      {GENERIC_WRITE, FILE_SHARE_READ},
      {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE},
      {DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE},
  };
  for (const auto& [access, share] : holders) {
    const Holder holder(path, access, share);
    ASSERT_TRUE(holder.valid()) << access << " " << share;
    TextLines text;
    EXPECT_EQ(errorNumberOf([&] { text = FileSystem::current().readTextFile(path); }), 0)
        << access << " " << share;
    EXPECT_EQ(linesOf(text), (std::vector<std::string>{"a", "b"}));
  }
}

TEST(WindowsReadTextFile, ExclusiveUseIsAnAccessError) {
  TempDir dir;
  dir.write("f.c", "a\n");
  const std::u16string path = dir.u16("f.c");
  {
    const Holder holder(path, GENERIC_READ, 0);
    ASSERT_TRUE(holder.valid());
    EXPECT_EQ(errorNumberOf([&] { FileSystem::current().readTextFile(path); }),
              kPathFileAccessError);
  }
  EXPECT_EQ(FileSystem::current().readTextFile(path).size(), 1u);
}

TEST(WindowsReadTextFile, LockedRegionIsAnAccessError) {
  TempDir dir;
  dir.write("f.c", "locked\n");
  const std::u16string path = dir.u16("f.c");
  const Holder holder(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_TRUE(holder.valid());
  OVERLAPPED at{};
  ASSERT_NE(
      ::LockFileEx(holder.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 4, 0, &at),
      0);
  {
    // Wine keeps locks advisory, as the Unix below it does: reads pass.
    const Holder reader(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    char byte = 0;
    DWORD n = 0;
    if (::ReadFile(reader.get(), &byte, 1, &n, nullptr) != 0) {
      GTEST_SKIP() << "locked regions can be read here";
    }
  }
  EXPECT_EQ(errorNumberOf([&] { FileSystem::current().readTextFile(path); }), kPathFileAccessError);
  ASSERT_NE(::UnlockFileEx(holder.get(), 0, 4, 0, &at), 0);
  EXPECT_EQ(linesOf(FileSystem::current().readTextFile(path)), std::vector<std::string>{"locked"});
}

TEST(WindowsReadTextFile, ReadOnlyFilesAreRead) {
  TempDir dir;
  dir.write("f.c", "x");
  ASSERT_NE(::SetFileAttributesW(wide(dir.u16("f.c")), FILE_ATTRIBUTE_READONLY), 0);
  EXPECT_EQ(linesOf(FileSystem::current().readTextFile(dir.u16("f.c"))),
            std::vector<std::string>{"x"});
}

// A file larger than the machine's memory is refused by name, without trying
// to hold it. A sparse file takes no room on the disk.
TEST(WindowsReadTextFile, LargerThanMemoryIsOutOfMemory) {
  TempDir dir;
  dir.write("huge.c", "");
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof(memory);
  ASSERT_NE(::GlobalMemoryStatusEx(&memory), 0);
  const std::u16string path = dir.u16("huge.c");
  {
    const Holder file(path, GENERIC_WRITE, 0);
    ASSERT_TRUE(file.valid());
    DWORD ignored = 0;
    ::DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER size{};
    size.QuadPart = static_cast<LONGLONG>(memory.ullTotalPhys) + 1;
    ASSERT_NE(::SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN), 0);
    ASSERT_NE(::SetEndOfFile(file.get()), 0);
  }
  std::string description;
  EXPECT_EQ(errorNumberOf([&] { FileSystem::current().readTextFile(path); }, &description),
            kOutOfMemory);
  EXPECT_NE(description.find("huge.c"), std::string::npos) << description;
}

TEST(WindowsExists, FilesAndFolders) {
  TempDir dir;
  dir.write("f", "");
  dir.mkdir("d");
  struct Case {
    std::u16string path;
    bool file;
    bool folder;
  };
  const std::vector<Case> cases = {
      {dir.u16("f"), true, false},
      {dir.u16() + u"\\f", true, false},
      {dir.u16("d"), false, true},
      {dir.u16() + u"\\d\\", false, true},
      {dir.u16("missing"), false, false},
      {dir.u16("f\\x"), false, false},
      {u"", false, false},
      {std::u16string(1, u'\0'), false, false},
      {u"C:\\", false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FileSystem::current().fileExists(c.path), c.file) << test::u8(c.path);
    EXPECT_EQ(FileSystem::current().folderExists(c.path), c.folder) << test::u8(c.path);
  }
}

// A path longer than MAX_PATH works without the caller adding "\\?\".
TEST(WindowsLongPaths, ReadListAndTest) {
  TempDir dir;
  std::u16string folder = dir.u16();
  const std::u16string component(60, u'd');
  while (folder.size() < 300) {
    folder += u"\\" + component;
    ASSERT_NE(::CreateDirectoryW(wide(u"\\\\?\\" + folder), nullptr), 0) << test::u8(folder);
  }
  const std::u16string file = folder + u"\\long.c";
  const HANDLE handle = ::CreateFileW(wide(u"\\\\?\\" + file), GENERIC_WRITE, 0, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ASSERT_NE(::WriteFile(handle, "x\ny\n", 4, &written, nullptr), 0);
  ::CloseHandle(handle);

  FileSystem& fs = FileSystem::current();
  EXPECT_TRUE(fs.fileExists(file));
  EXPECT_TRUE(fs.folderExists(folder));
  EXPECT_EQ(fs.readTextFile(file).size(), 2u);
  EXPECT_EQ(fs.listFolder(folder).files, std::vector<std::u16string>{file});
  // Through "..", which the long form resolves before the system sees it.
  EXPECT_EQ(fs.readTextFile(folder + u"\\..\\" + component + u"\\long.c").size(), 2u);
  EXPECT_EQ(errorNumberOf([&] { fs.readTextFile(folder + u"\\missing.c"); }), kFileNotFound);
}

// A link to a folder is left out of the listing, so that a cycle cannot
// recurse; a link to a file is a file.
TEST(WindowsListFolder, LinksToFoldersAreNotFollowed) {
  TempDir dir;
  dir.write("real.c", "x");
  dir.mkdir("folder");
  const std::u16string root = dir.u16();
  const std::u16string loop = root + u"\\folder\\loop";
  const std::u16string toFile = root + u"\\to-file";
  ::CreateSymbolicLinkW(wide(loop), wide(root), SYMBOLIC_LINK_FLAG_DIRECTORY);
  ::CreateSymbolicLinkW(wide(toFile), wide(root + u"\\real.c"), 0);
  // Wine 8 reports success but makes no link that can be seen or opened.
  for (const auto& link : {loop, toFile}) {
    const DWORD attributes = ::GetFileAttributesW(wide(link));
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      GTEST_SKIP() << "no usable symbolic links here";
    }
  }
  const FolderListing inner = FileSystem::current().listFolder(root + u"\\folder");
  EXPECT_TRUE(inner.subFolders.empty());
  const FolderListing listing = FileSystem::current().listFolder(root);
  EXPECT_EQ(listing.files, (std::vector<std::u16string>{root + u"\\real.c", root + u"\\to-file"}));
  EXPECT_EQ(listing.subFolders, std::vector<std::u16string>{root + u"\\folder"});
}

}  // namespace
}  // namespace cvn
