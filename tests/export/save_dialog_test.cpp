#include "export/save_dialog.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "export/module1.hpp"
#include "export/save_dialog_posix.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

using namespace std::string_literals;
using Module1::OPENFILENAME;
using Module1::ScopedSaveDialog;

TEST(ConvertFileFilter, BarsAndSemicolonsBecomeNuls) {
  EXPECT_EQ(convertFileFilter(u"Text File (*.txt);*.txt"), u"Text File (*.txt)\0*.txt\0"s);
  EXPECT_EQ(convertFileFilter(u"A|*.a|B|*.b"), u"A\0*.a\0B\0*.b\0"s);
  EXPECT_EQ(convertFileFilter(u"Sources|*.c;*.h"), u"Sources\0*.c\0*.h\0"s);
}

TEST(ConvertFileFilter, EndsWithExactlyOneAddedNul) {
  EXPECT_EQ(convertFileFilter(u""), u"\0"s);
  EXPECT_EQ(convertFileFilter(u"A|*.a|"), u"A\0*.a\0"s);
  EXPECT_EQ(convertFileFilter(u"A|*.a||"), u"A\0*.a\0\0"s);
  EXPECT_EQ(convertFileFilter(u"plain"), u"plain\0"s);
}

TEST(ConvertFileFilter, TheDialogSeesDescriptionPatternPairs) {
  const auto entries = [](const std::u16string& filters) {
    // As SaveAFile hands it over: UTF-8 with the terminator after the last NUL.
    const std::string list = test::u8(convertFileFilter(filters)) + '\0';
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const auto& f : parseFilterList(list.c_str()))
      pairs.emplace_back(f.description, f.pattern);
    return pairs;
  };
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(entries(u"Text File (*.txt);*.txt"), (Pairs{{"Text File (*.txt)", "*.txt"}}));
  EXPECT_EQ(entries(u"A|*.a|B|*.b"), (Pairs{{"A", "*.a"}, {"B", "*.b"}}));
  EXPECT_EQ(entries(u"Sources|*.c;*.h"), (Pairs{{"Sources", "*.c"}, {"*.h", ""}}));
  EXPECT_EQ(entries(u""), Pairs{});
}

TEST(ChosenPath, TakesTheTextUpToTheNulWithoutOuterSpaces) {
  EXPECT_EQ(chosenPath(u"/tmp/out.txt\0      "s), u"/tmp/out.txt");
  EXPECT_EQ(chosenPath(u"   /tmp/out.txt\0   "s), u"/tmp/out.txt");
  // Spaces before the NUL belong to the name: only a NUL is removed after trimming.
  EXPECT_EQ(chosenPath(u"/tmp/a b \0    "s), u"/tmp/a b ");
  EXPECT_EQ(chosenPath(u"/x\0/y\0"s), u"/x");
  EXPECT_EQ(chosenPath(u"  no nul  "), u"no nul");
}

TEST(ChosenPath, AnUntouchedBufferIsNoPath) {
  EXPECT_EQ(chosenPath(std::u16string(254, u' ') + u'\0'), u"");
  EXPECT_EQ(chosenPath(u""), u"");
  EXPECT_EQ(chosenPath(u"\0"s), u"");
}

// What a dialog saw of the record, copied while the record was alive.
struct SeenRecord {
  int32_t lStructSize, hwndOwner, hInstance, nMaxCustFilter, nFilterIndex, nMaxFile, nMaxFileTitle,
      Flags, lCustData, lpfnHook;
  int16_t nFileOffset, nFileExtension;
  bool customFilterNull, defExtNull, templateNull;
  std::string filter, file, fileTitle, initialDir, title;
};

SeenRecord see(const OPENFILENAME& ofn) {
  SeenRecord seen{};
  seen.lStructSize = ofn.lStructSize;
  seen.hwndOwner = ofn.hwndOwner;
  seen.hInstance = ofn.hInstance;
  seen.nMaxCustFilter = ofn.nMaxCustFilter;
  seen.nFilterIndex = ofn.nFilterIndex;
  seen.nMaxFile = ofn.nMaxFile;
  seen.nMaxFileTitle = ofn.nMaxFileTitle;
  seen.Flags = ofn.Flags;
  seen.lCustData = ofn.lCustData;
  seen.lpfnHook = ofn.lpfnHook;
  seen.nFileOffset = ofn.nFileOffset;
  seen.nFileExtension = ofn.nFileExtension;
  seen.customFilterNull = ofn.lpstrCustomFilter == nullptr;
  seen.defExtNull = ofn.lpstrDefExt == nullptr;
  seen.templateNull = ofn.lpTemplateName == nullptr;
  // The filter's bytes up to the two NULs that end it.
  size_t end = 0;
  while (ofn.lpstrFilter[end] != '\0' || ofn.lpstrFilter[end + 1] != '\0') ++end;
  seen.filter.assign(ofn.lpstrFilter, end + 2);
  seen.file.assign(ofn.lpstrFile, static_cast<size_t>(ofn.nMaxFile));
  seen.fileTitle.assign(ofn.lpstrFileTitle, static_cast<size_t>(ofn.nMaxFileTitle));
  seen.initialDir = ofn.lpstrInitialDir;
  seen.title = ofn.lpstrTitle;
  return seen;
}

TEST(SaveAFile, FillsTheRecord) {
  std::optional<SeenRecord> seen;
  const ScopedSaveDialog dialog([&](OPENFILENAME& ofn) {
    seen = see(ofn);
    return 0;
  });
  std::u16string sInitDir = u"c:\\";
  std::u16string sTitle = u"Save Export As...";
  int32_t lParentHwnd = 4242;
  EXPECT_EQ(SaveAFile(sInitDir, u"Text File (*.txt);*.txt", sTitle, lParentHwnd), u"");
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->lStructSize, 76);
  EXPECT_EQ(seen->hwndOwner, 4242);
  EXPECT_EQ(seen->filter, "Text File (*.txt)\0*.txt\0\0"s);
  EXPECT_EQ(seen->file, std::string(254, ' ') + '\0');
  EXPECT_EQ(seen->nMaxFile, 255);
  EXPECT_EQ(seen->fileTitle, std::string(254, ' ') + '\0');
  EXPECT_EQ(seen->nMaxFileTitle, 255);
  EXPECT_EQ(seen->initialDir, "c:\\");
  EXPECT_EQ(seen->title, "Save Export As...");
  EXPECT_EQ(seen->Flags, Module1::OFN_OVERWRITEPROMPT);
  EXPECT_EQ(seen->Flags, 2);
  EXPECT_EQ(seen->hInstance, 0);
  EXPECT_EQ(seen->nMaxCustFilter, 0);
  EXPECT_EQ(seen->nFilterIndex, 0);
  EXPECT_EQ(seen->nFileOffset, 0);
  EXPECT_EQ(seen->nFileExtension, 0);
  EXPECT_EQ(seen->lCustData, 0);
  EXPECT_EQ(seen->lpfnHook, 0);
  EXPECT_TRUE(seen->customFilterNull && seen->defExtNull && seen->templateNull);
  // The in/out arguments stay as they were.
  EXPECT_EQ(sInitDir, u"c:\\");
  EXPECT_EQ(sTitle, u"Save Export As...");
  EXPECT_EQ(lParentHwnd, 4242);
}

TEST(SaveAFile, OptionalArgumentsLeftOut) {
  std::optional<SeenRecord> seen;
  const ScopedSaveDialog dialog([&](OPENFILENAME& ofn) {
    seen = see(ofn);
    return 0;
  });
  std::u16string sInitDir = u"/tmp";
  EXPECT_EQ(SaveAFile(sInitDir), u"");
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->title, "Open File");
  EXPECT_EQ(seen->hwndOwner, 0);
  EXPECT_EQ(seen->filter, "\0\0"s);
  std::u16string sTitle = u"Mine";
  EXPECT_EQ(SaveAFile(sInitDir, u"A|*.a", sTitle), u"");
  EXPECT_EQ(seen->title, "Mine");
  EXPECT_EQ(seen->hwndOwner, 0);
}

TEST(SaveAFile, TextsAreUtf8WithRawBytesKept) {
  std::optional<SeenRecord> seen;
  const ScopedSaveDialog dialog([&](OPENFILENAME& ofn) {
    seen = see(ofn);
    return acceptChosenPath(ofn, "/tmp/caf\xE9 \xE2\x82\xAC.txt");
  });
  std::u16string sInitDir = u"/tmp/\u00E9t\u00E9\xDCFF";
  std::u16string sTitle = u"Export \u20AC";
  int32_t lParentHwnd = 0;
  EXPECT_EQ(SaveAFile(sInitDir, u"\u00DCber|*.\u00FC", sTitle, lParentHwnd),
            u"/tmp/caf\xDCE9 \u20AC.txt");
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->initialDir, "/tmp/\xC3\xA9t\xC3\xA9\xFF");
  EXPECT_EQ(seen->title, "Export \xE2\x82\xAC");
  EXPECT_EQ(seen->filter,
            "\xC3\x9C"
            "ber\0*.\xC3\xBC\0\0"s);
  EXPECT_EQ(sInitDir, u"/tmp/\u00E9t\u00E9\xDCFF");
}

TEST(SaveAFile, ReturnsTheChosenPathTrimmed) {
  std::string written;
  const ScopedSaveDialog dialog([&](OPENFILENAME& ofn) {
    std::memcpy(ofn.lpstrFile, written.c_str(), written.size() + 1);
    return 1;
  });
  std::u16string sInitDir = u"/tmp";
  for (const auto& [inBuffer, expected] : std::vector<std::pair<std::string, std::u16string>>{
           {"/tmp/out.txt", u"/tmp/out.txt"},
           {"   /tmp/lead.txt", u"/tmp/lead.txt"},
           {"/tmp/trail.txt  ", u"/tmp/trail.txt  "},
           {"", u""},
       }) {
    written = inBuffer;
    EXPECT_EQ(SaveAFile(sInitDir, u""), expected) << inBuffer;
  }
}

TEST(SaveAFile, AChoiceThatLeftTheBufferAloneIsNoPath) {
  const ScopedSaveDialog dialog([](OPENFILENAME&) { return 1; });
  std::u16string sInitDir = u"/tmp";
  EXPECT_EQ(SaveAFile(sInitDir, u""), u"");
}

TEST(SaveAFile, ACancelIgnoresTheBuffer) {
  const ScopedSaveDialog dialog([](OPENFILENAME& ofn) {
    acceptChosenPath(ofn, "/tmp/ignored.txt");
    return 0;
  });
  std::u16string sInitDir = u"/tmp";
  EXPECT_EQ(SaveAFile(sInitDir, u""), u"");
}

TEST(SaveAFile, TheLongestPathThatFits) {
  const std::string longest = "/" + std::string(253, 'a');
  const ScopedSaveDialog dialog([&](OPENFILENAME& ofn) { return acceptChosenPath(ofn, longest); });
  std::u16string sInitDir = u"/tmp";
  EXPECT_EQ(SaveAFile(sInitDir, u""), test::u16(longest));
}

}  // namespace
}  // namespace cvn
