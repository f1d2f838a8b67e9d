// The Save dialog on Windows: the record the system reads, its texts in the
// ANSI code page, and the system's dialog failing (no desktop under the test
// runner's Wine) as a cancel, never a hang.
#include "export/save_dialog_windows.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>
#include <set>
#include <string>
#include <vector>

#include "export/export_file.hpp"
#include "export/module1.hpp"
#include "export/save_dialog.hpp"

// After the record's own names: <commdlg.h> defines OPENFILENAME and the OFN_
// flags as macros.
#include <windows.h>
// needs the types of windows.h
#include <cderr.h>

#include <commdlg.h>
#undef OPENFILENAME

namespace cvn {
namespace {

using Module1::ScopedSaveDialog;
using Record = Module1::OPENFILENAME;

TEST(WindowsDialogRecord, SizeOfTheSystemsRecordWithoutItsLaterMembers) {
  EXPECT_EQ(Module1::kOpenFileNameSize, 136);
  EXPECT_EQ(static_cast<size_t>(Module1::kOpenFileNameSize), sizeof(Record));
  EXPECT_EQ(static_cast<DWORD>(Module1::kOpenFileNameSize), OPENFILENAME_SIZE_VERSION_400A);
  EXPECT_LT(sizeof(Record), sizeof(OPENFILENAMEA));
}

TEST(WindowsDialogRecord, MembersWhereTheSystemReadsThem) {
  struct Member {
    const char* name;
    size_t ours;
    size_t system;
  };
#define CVN_MEMBER(m)                                   \
  Member {                                              \
#m, offsetof(Record, m), offsetof(OPENFILENAMEA, m) \
  }
  const Member members[] = {
      CVN_MEMBER(lStructSize),       CVN_MEMBER(hwndOwner),
      CVN_MEMBER(hInstance),         CVN_MEMBER(lpstrFilter),
      CVN_MEMBER(lpstrCustomFilter), CVN_MEMBER(nMaxCustFilter),
      CVN_MEMBER(nFilterIndex),      CVN_MEMBER(lpstrFile),
      CVN_MEMBER(nMaxFile),          CVN_MEMBER(lpstrFileTitle),
      CVN_MEMBER(nMaxFileTitle),     CVN_MEMBER(lpstrInitialDir),
      CVN_MEMBER(lpstrTitle),        CVN_MEMBER(Flags),
      CVN_MEMBER(nFileOffset),       CVN_MEMBER(nFileExtension),
      CVN_MEMBER(lpstrDefExt),       CVN_MEMBER(lCustData),
      CVN_MEMBER(lpfnHook),          CVN_MEMBER(lpTemplateName),
  };
#undef CVN_MEMBER
  for (const Member& m : members) EXPECT_EQ(m.ours, m.system) << m.name;
  // Handles and hooks hold a pointer's worth.
  EXPECT_EQ(sizeof(Record::hwndOwner), sizeof(HWND));
  EXPECT_EQ(sizeof(Record::lCustData), sizeof(LPARAM));
  EXPECT_EQ(sizeof(Record::lpfnHook), sizeof(LPOFNHOOKPROC));
}

struct DialogOutcome {
  std::u16string path;
  uint32_t error = 0;  // the system's reason, read on the dialog's thread
};

// Runs SaveAFile on its own thread so that a dialog that blocks fails the
// test instead of hanging it.
DialogOutcome saveWithTheSystemsDialog(std::u16string initDir) {
  auto result = std::async(std::launch::async, [initDir]() mutable {
    std::u16string title = u"Save Export As...";
    std::u16string path = SaveAFile(initDir, u"Text File (*.txt);*.txt", title);
    return DialogOutcome{path, lastSaveDialogError()};
  });
  if (result.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
    ADD_FAILURE() << "the Save dialog did not return";
    std::fflush(nullptr);
    std::_Exit(1);
  }
  return result.get();
}

TEST(WindowsSystemDialog, WithoutADesktopItIsACancel) {
  for (const std::u16string initDir : {u"C:\\", u"C:\\no such folder"}) {
    const DialogOutcome outcome = saveWithTheSystemsDialog(initDir);
    EXPECT_EQ(outcome.path, u"");
    // The system took the record; a record of the wrong size is refused
    // with CDERR_STRUCTSIZE (see below).
    EXPECT_NE(outcome.error, static_cast<uint32_t>(CDERR_STRUCTSIZE));
  }
}

TEST(WindowsSystemDialog, ARecordTheSystemRefusesIsACancel) {
  std::vector<char> file(16, '\0');
  Record ofn;
  ofn.lStructSize = 76;  // the 32-bit size: not this program's record
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<int32_t>(file.size());
  EXPECT_EQ(Module1::GetSaveFileNameA(&ofn), 0);
  EXPECT_EQ(lastSaveDialogError(), static_cast<uint32_t>(CDERR_STRUCTSIZE));
}

TEST(WindowsSystemDialog, ExportCancelledWritesNothing) {
  // The dialog starts in "c:\"; nothing may appear there.
  std::set<std::filesystem::path> rootBefore;
  for (const auto& entry : std::filesystem::directory_iterator(L"C:\\")) {
    rootBefore.insert(entry.path());
  }
  int calls = 0;
  const SaveAFileFunction dialog = [&](std::u16string& initDir, const std::u16string& filters,
                                       std::u16string& title, int32_t& owner) {
    ++calls;
    return SaveAFile(initDir, filters, title, owner);
  };
  EXPECT_EQ(exportFile(u"top|||", u"contents", u"file", u"rows", dialog), 0);
  EXPECT_EQ(calls, 1);
  std::set<std::filesystem::path> rootAfter;
  for (const auto& entry : std::filesystem::directory_iterator(L"C:\\")) {
    rootAfter.insert(entry.path());
  }
  EXPECT_EQ(rootAfter, rootBefore);
}

// What an installed dialog saw of the record, and the bytes it answers with.
struct Seen {
  std::string title;
  std::string initialDir;
  std::string filter;  // the whole list, its NULs included
  intptr_t owner = 0;
  int32_t size = 0;
};

std::string filterList(const char* filter) {
  std::string list;
  while (*filter != '\0') {
    list.append(filter).push_back('\0');
    filter += std::strlen(filter) + 1;
  }
  return list;
}

// The record's texts are in the ANSI code page, which Wine takes as 1252
// under the test runner's locale: what GetSaveFileNameA reads and writes.
TEST(WindowsDialogTexts, AnsiCodePageBothWays) {
  ASSERT_EQ(::GetACP(), 1252u);
  struct Case {
    std::u16string title;
    std::string titleBytes;
    std::string chosenBytes;
    std::u16string chosen;
  };
  const std::vector<Case> cases = {
      {u"Save", "Save", "C:\\out.txt", u"C:\\out.txt"},
      {u"Caf\u00E9 \u20AC", "Caf\xE9 \x80", "C:\\caf\xE9\\\x80.txt", u"C:\\caf\u00E9\\\u20AC.txt"},
      // No near look-alike: a path must never turn into another existing one.
      {u"\u0100\u4E2D", "??", "C:\\\xFF.txt", u"C:\\\u00FF.txt"},
  };
  for (const Case& c : cases) {
    Seen seen;
    const ScopedSaveDialog dialog([&](Record& ofn) {
      seen = {ofn.lpstrTitle, ofn.lpstrInitialDir, filterList(ofn.lpstrFilter), ofn.hwndOwner,
              ofn.lStructSize};
      std::memcpy(ofn.lpstrFile, c.chosenBytes.c_str(), c.chosenBytes.size() + 1);
      return 1;
    });
    std::u16string initDir = u"C:\\caf\u00E9";
    std::u16string title = c.title;
    int32_t owner = -2;
    EXPECT_EQ(SaveAFile(initDir, u"Text File (*.txt);*.txt|\u00C9crit|*.\u00E9", title, owner),
              c.chosen);
    EXPECT_EQ(seen.title, c.titleBytes);
    EXPECT_EQ(seen.initialDir, "C:\\caf\xE9");
    static constexpr char kFilter[] =
        "Text File (*.txt)\0*.txt\0\xC9"
        "crit\0*.\xE9\0";
    EXPECT_EQ(seen.filter, std::string(kFilter, sizeof(kFilter) - 1));
    // A handle widens with its sign, as the system's handles do.
    EXPECT_EQ(seen.owner, -2);
    EXPECT_EQ(seen.size, 136);
  }
}

}  // namespace
}  // namespace cvn
