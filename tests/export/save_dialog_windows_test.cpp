// The Save dialog on Windows: the system's (no desktop under Wine) cancels, never hangs, and takes
// the record, whose texts are in the ANSI code page; its layout is checked by static_asserts.
#include "export/save_dialog_windows.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>

#include "export/export_file.hpp"
#include "export/module1.hpp"
#include "export/save_dialog.hpp"

// After the record's own names: <commdlg.h> defines OPENFILENAME as a macro.
#include <windows.h>
// needs the types of windows.h
#include <cderr.h>

namespace cvn {
namespace {

TEST(WindowsSaveDialog, SystemDialogAndAnsiTexts) {
  // On a thread of its own, so that a dialog that blocks fails the test instead of hanging it.
  auto cancelled = std::async(std::launch::async, [] {
    std::u16string initDir = u"C:\\", title = u"Save Export As...";
    const std::u16string path = SaveAFile(initDir, u"Text File (*.txt);*.txt", title);
    return std::pair(path, lastSaveDialogError());
  });
  ASSERT_EQ(cancelled.wait_for(std::chrono::seconds(60)), std::future_status::ready);
  const auto [path, error] = cancelled.get();
  EXPECT_EQ(path, u"");
  EXPECT_NE(error, static_cast<uint32_t>(CDERR_STRUCTSIZE));  // the system took the record

  // Wine takes the ANSI code page as 1252 under the test runner's locale. No near look-alike: a
  // name must never turn into another existing one.
  ASSERT_EQ(::GetACP(), 1252u);
  for (const auto& [title, titleBytes, chosenBytes, chosen] :
       std::vector<std::tuple<std::u16string, std::string, std::string, std::u16string>>{
           {u"Caf\u00E9 \u20AC", "Caf\xE9 \x80", "C:\\caf\xE9\\\x80.txt",
            u"C:\\caf\u00E9\\\u20AC.txt"},
           {u"\u0100\u4E2D", "??", "C:\\\xFF.txt", u"C:\\\u00FF.txt"}}) {
    std::string seen;
    const Module1::ScopedSaveDialog dialog([&](Module1::OPENFILENAME& record) {
      seen = std::string(record.lpstrTitle) + "|" + std::string(record.lpstrFilter, 11) + "|" +
             std::to_string(record.hwndOwner);
      std::memcpy(record.lpstrFile, chosenBytes.c_str(), chosenBytes.size() + 1);
      return 1;
    });
    std::u16string initDir = u"C:\\", shown = title;
    int32_t parent = -2;  // a handle widens with its sign, as the system's do
    EXPECT_EQ(SaveAFile(initDir, u"\u00C9crit|*.\u00E9", shown, parent), chosen);
    EXPECT_EQ(seen, titleBytes + "|\xC9" + std::string("crit\0*.\xE9\0\0|-2", 13));
  }
}

}  // namespace
}  // namespace cvn
