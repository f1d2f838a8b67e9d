// The atomic writer on Windows, run under Wine: a failed write leaves the old
// content and no temporary file; the read-only attribute and files held
// without sharing refuse by number.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>

#include "platform/atomic_file.hpp"
#include "support/error_number.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

using test::errorNumberOf;
using test::TempDir;

const wchar_t* wide(const std::u16string& path) {
  return reinterpret_cast<const wchar_t*>(path.c_str());
}

std::string contentOf(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every name in a folder tree, so that a leftover temporary file shows.
std::set<std::filesystem::path> namesIn(const std::filesystem::path& folder) {
  std::set<std::filesystem::path> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    names.insert(entry.path().lexically_relative(folder));
  }
  return names;
}

DWORD attributesOf(const std::filesystem::path& file) {
  return ::GetFileAttributesW(file.c_str());
}

TEST(WindowsAtomicFile, WritesAndReplacesExactBytes) {
  TempDir dir;
  const std::u16string path = dir.u16() + u"\\out.txt";
  const std::string first("line\r\nwith\0nul\rand more\n", 24);
  writeFileAtomically(path, first);
  EXPECT_EQ(contentOf(dir.path() / "out.txt"), first);
  writeFileAtomically(path, "short");
  EXPECT_EQ(contentOf(dir.path() / "out.txt"), "short");
  writeFileAtomically(path, "");
  EXPECT_EQ(contentOf(dir.path() / "out.txt"), "");
  EXPECT_EQ(namesIn(dir.path()), std::set<std::filesystem::path>{"out.txt"});
}

TEST(WindowsAtomicFile, NamesOutsideTheAnsiCodePage) {
  TempDir dir;
  const std::u16string path = dir.u16() + u"\\\u0100\u4E2D\U0001F600.txt";
  writeFileAtomically(path, "x");
  EXPECT_EQ(contentOf(std::filesystem::path(wide(path))), "x");
  EXPECT_EQ(namesIn(dir.path()).size(), 1u);
}

struct FailureCase {
  const char* name;
  std::function<void(const TempDir&)> setUp;
  std::u16string relative;  // below the folder, "\" joined
  int32_t number;
};

// Each failure leaves the folder exactly as it was: the old file, no
// temporary one.
TEST(WindowsAtomicFile, FailuresLeaveEverythingAsItWas) {
  const std::vector<FailureCase> cases = {
      {"missing folder", [](const TempDir&) {}, u"\\missing\\out.txt", kPathNotFound},
      {"folder as target", [](const TempDir& d) { d.mkdir("sub/inner"); }, u"\\sub",
       kPathFileAccessError},
      {"name ending in a separator, folder", [](const TempDir& d) { d.mkdir("sub"); }, u"\\sub\\",
       kPathFileAccessError},
      {"name ending in a separator, nothing", [](const TempDir&) {}, u"\\none\\", kPathNotFound},
      {"read-only target",
       [](const TempDir& d) {
         ::SetFileAttributesW(d.write("out.txt", "old").c_str(), FILE_ATTRIBUTE_READONLY);
       },
       u"\\out.txt", kPermissionDenied},
      {"read-only and hidden target",
       [](const TempDir& d) {
         ::SetFileAttributesW(d.write("out.txt", "old").c_str(),
                              FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
       },
       u"\\out.txt", kPermissionDenied},
      {"a file on the way", [](const TempDir& d) { d.write("file", "old"); }, u"\\file\\out.txt",
       kPathNotFound},
  };
  for (const FailureCase& c : cases) {
    TempDir dir;
    c.setUp(dir);
    const auto before = namesIn(dir.path());
    std::set<std::string> contents;
    for (const auto& name : before) {
      if (std::filesystem::is_regular_file(dir.path() / name))
        contents.insert(contentOf(dir.path() / name));
    }
    std::string description;
    EXPECT_EQ(
        errorNumberOf([&] { writeFileAtomically(dir.u16() + c.relative, "new"); }, &description),
        c.number)
        << c.name;
    EXPECT_NE(description.find("cvn-test-"), std::string::npos) << c.name << ": " << description;
    EXPECT_EQ(namesIn(dir.path()), before) << c.name;
    for (const auto& name : before) {
      if (std::filesystem::is_regular_file(dir.path() / name)) {
        EXPECT_EQ(contents.count(contentOf(dir.path() / name)), 1u) << c.name;
      }
    }
  }
  EXPECT_EQ(errorNumberOf([] { writeFileAtomically(u"", "x"); }), kPathFileAccessError);
}

// Another program holding the file without sharing writing, or without
// sharing its deletion, which replacing is: refused before the temporary
// file exists (a sharing violation: 75), or by the rename after it was
// written (Windows says access denied there, 70; Wine a sharing violation).
// Either way nothing changes.
TEST(WindowsAtomicFile, FileHeldWithoutSharingIsRefused) {
  for (const DWORD share :
       {DWORD{0}, DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
    TempDir dir;
    const auto file = dir.write("out.txt", "old");
    const HANDLE holder = ::CreateFileW(file.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const int32_t number =
        errorNumberOf([&] { writeFileAtomically(dir.u16() + u"\\out.txt", "new"); });
    if ((share & FILE_SHARE_WRITE) == 0) {
      EXPECT_EQ(number, kPathFileAccessError) << share;
    } else {
      EXPECT_TRUE(number == kPathFileAccessError || number == kPermissionDenied) << number;
    }
    ::CloseHandle(holder);
    EXPECT_EQ(contentOf(file), "old") << share;
    EXPECT_EQ(namesIn(dir.path()), std::set<std::filesystem::path>{"out.txt"}) << share;
    writeFileAtomically(dir.u16() + u"\\out.txt", "new");
    EXPECT_EQ(contentOf(file), "new") << share;
  }
}

// The replaced file stays hidden; a new file gets the folder's defaults.
TEST(WindowsAtomicFile, KeepsTheTargetsAttributes) {
  TempDir dir;
  const auto file = dir.write("out.txt", "old");
  ASSERT_NE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN), 0);
  ASSERT_NE(attributesOf(file) & FILE_ATTRIBUTE_HIDDEN, 0u);
  writeFileAtomically(dir.u16() + u"\\out.txt", "new");
  EXPECT_EQ(contentOf(file), "new");
  EXPECT_NE(attributesOf(file) & FILE_ATTRIBUTE_HIDDEN, 0u);
  writeFileAtomically(dir.u16() + u"\\fresh.txt", "x");
  EXPECT_EQ(
      attributesOf(dir.path() / "fresh.txt") & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
      0u);
}

TEST(WindowsAtomicFile, LongPaths) {
  TempDir dir;
  std::u16string folder = dir.u16();
  while (folder.size() < 300) {
    folder += u"\\" + std::u16string(60, u'e');
    ASSERT_NE(::CreateDirectoryW(wide(u"\\\\?\\" + folder), nullptr), 0);
  }
  const std::u16string path = folder + u"\\out.txt";
  writeFileAtomically(path, "old");
  writeFileAtomically(path, "new");
  EXPECT_EQ(contentOf(std::filesystem::path(wide(u"\\\\?\\" + path))), "new");
  // std::filesystem does not take "\\?\" paths here: the system lists it.
  std::set<std::u16string> names;
  WIN32_FIND_DATAW entry{};
  const HANDLE find = ::FindFirstFileW(wide(u"\\\\?\\" + folder + u"\\*"), &entry);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  do {
    names.insert(reinterpret_cast<const char16_t*>(entry.cFileName));
  } while (::FindNextFileW(find, &entry) != 0);
  ::FindClose(find);
  EXPECT_EQ(names, (std::set<std::u16string>{u".", u"..", u"out.txt"}));
  EXPECT_EQ(errorNumberOf([&] { writeFileAtomically(folder + u"\\missing\\out.txt", "x"); }),
            kPathNotFound);
}

}  // namespace
}  // namespace cvn
