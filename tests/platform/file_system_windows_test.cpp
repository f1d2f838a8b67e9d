// The operating system's files on Windows, run under Wine: names joined with "\" and sorted by
// UTF-16 code units, Win32 errors by number, files held open, long paths.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/atomic_file.hpp"
#include "platform/file_system.hpp"
#include "support/error_number.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

using test::errorNumberOf;
FileSystem& fs = FileSystem::current();

// Reading, listing and writing by number, naming the path, also longer than MAX_PATH without
// "\\?\". A file held open is read while its holder shares reading; it is never replaced.
TEST(WindowsFileSystem, ErrorsByNumberAndListing) {
  test::TempDir dir;
  const std::u16string r = dir.u16();
  ::SetFileAttributesW(dir.write("read-only", "old").c_str(), FILE_ATTRIBUTE_READONLY);
  const auto hold = [&](const char* name, DWORD share) {
    return ::CreateFileW(dir.write(name, "old").c_str(), GENERIC_WRITE, share, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  };
  const HANDLE held = hold("held", 0), shared = hold("shared", FILE_SHARE_READ);
  ASSERT_TRUE(held != INVALID_HANDLE_VALUE && shared != INVALID_HANDLE_VALUE);
  std::u16string deep;
  while (deep.size() < 300) {
    deep += u"\\" + std::u16string(60, u'd');
    ASSERT_NE(::CreateDirectoryW(std::filesystem::path(u"\\\\?\\" + r + deep).c_str(), nullptr), 0);
  }
  // Below the folder: reading, listing, writing.
  const std::vector<std::tuple<std::u16string, int32_t, int32_t, int32_t>> cases = {
      {u"\\none\\x", 76, 76, 76},  {u"\\read-only", 0, 76, 70}, {u"\\held", 75, 76, 75},
      {u"\\shared", 0, 76, 75},    {u"", 53, 76, 75},           {deep, 53, 0, 75},
      {deep + u"\\new", 53, 76, 0}};
  for (const auto& [name, reading, listing, writing] : cases) {
    const std::u16string path = name.empty() ? name : r + name;
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { fs.readTextFile(path); }, &description), reading);
    EXPECT_EQ(errorNumberOf([&] { fs.listFolder(path); }), listing);
    EXPECT_EQ(errorNumberOf([&] { writeFileAtomically(path, "new"); }), writing);
    EXPECT_TRUE(reading == 0 || description.find(test::u8(path)) != std::string::npos);
  }
  ::CloseHandle(held), ::CloseHandle(shared);
  for (const std::u16string name : {u"\\read-only", u"\\held", u"\\shared"}) {
    EXPECT_EQ(fs.readTextFile(r + name).lines(), std::vector<std::string_view>{"old"});
  }
  EXPECT_EQ(fs.readTextFile(r + deep + u"\\.." + deep.substr(244) + u"\\new").size(), 1u);
  // Joined with "\", sorted by UTF-16 code units: U+1F600 (D83D DE00) before U+FF21.
  dir.write("\xF0\x9F\x98\x80", "");
  dir.write("\xEF\xBC\xA1", "");
  for (const std::u16string& root : {r, r + u"\\", r + u"\\/"}) {
    EXPECT_EQ(fs.listFolder(root).files,
              (std::vector<std::u16string>{r + u"\\held", r + u"\\read-only", r + u"\\shared",
                                           r + u"\\\U0001F600", r + u"\\\uFF21"}));
    EXPECT_EQ(fs.listFolder(root).subFolders, std::vector<std::u16string>{r + deep.substr(0, 61)});
  }
  const FolderListing drive = fs.listFolder(u"C:\\\\");
  EXPECT_EQ(drive.path, u"C:\\");
  EXPECT_EQ(drive.subFolders.front().rfind(u'\\'), 2u);  // "C:\Windows", one separator
}

}  // namespace
}  // namespace cvn
