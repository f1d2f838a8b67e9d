#include "export/export_file.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "export/module1.hpp"
#include "export/save_dialog.hpp"
#include "export/save_dialog_posix.hpp"
#include "support/as_nobody.hpp"
#include "support/error_number.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

using namespace std::string_literals;
using test::errorNumberOf;
using test::runAsNobody;
using test::TempDir;

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

// A Save dialog that answers with a fixed path and remembers what it was asked.
struct FakeSaveAFile {
  explicit FakeSaveAFile(std::u16string chosen = u"") : answer(std::move(chosen)) {}

  std::u16string answer;
  int calls = 0;
  std::u16string initDir, filters, title;
  int32_t parent = -1;

  SaveAFileFunction function() {
    return [this](std::u16string& sInitDir, const std::u16string& sFileFilters,
                  std::u16string& sTitle, int32_t& lParentHwnd) {
      ++calls;
      initDir = sInitDir;
      filters = sFileFilters;
      title = sTitle;
      parent = lParentHwnd;
      return answer;
    };
  }
};

int16_t exportExample(const SaveAFileFunction& saveAFile) {
  return exportFile(u"H", u"a|||b|||", u"F", u"x", saveAFile);
}

const std::string kExampleBytes = "Ha\rb\r\r\rFx";

TEST(ReplaceLineMarks, EveryMarkBecomesOneCarriageReturn) {
  EXPECT_EQ(replaceLineMarks(u"a|||b|||"), u"a\rb\r");
  EXPECT_EQ(replaceLineMarks(u"||||"), u"\r|");
  EXPECT_EQ(replaceLineMarks(u"||||||"), u"\r\r");
  EXPECT_EQ(replaceLineMarks(u"a||b|c"), u"a||b|c");
  EXPECT_EQ(replaceLineMarks(u""), u"");
}

TEST(ExportBytes, TheExample) {
  EXPECT_EQ(exportBytes(u"H", u"a|||b|||", u"F", u"x"), kExampleBytes);
}

TEST(ExportBytes, MarksNeverFormAcrossTexts) {
  EXPECT_EQ(exportBytes(u"x||", u"|y", u"|", u"||"), "x|||y\r\r|||");
}

TEST(ExportBytes, Windows1252WithQuestionMarksAndNothingAdded) {
  EXPECT_EQ(exportBytes(u"\u20AC\u00E9", u"\u4E00\U0001F600", u"line\n", u""),
            "\x80\xE9???\r\rline\n");
  EXPECT_EQ(exportBytes(u"", u"", u"", u""), "\r\r");
}

TEST(ExportFile, AsksTheDialogForATextFile) {
  FakeSaveAFile dialog;
  EXPECT_EQ(exportExample(dialog.function()), 0);
  EXPECT_EQ(dialog.calls, 1);
  EXPECT_EQ(dialog.initDir, u"c:\\");
  EXPECT_EQ(dialog.filters, u"Text File (*.txt);*.txt");
  EXPECT_EQ(dialog.title, u"Save Export As...");
  EXPECT_EQ(dialog.parent, 0);
}

TEST(ExportFile, WritesTheExampleAtExactlyThePathChosen) {
  TempDir dir;
  FakeSaveAFile dialog{dir.u16("report")};
  EXPECT_EQ(exportExample(dialog.function()), 1);
  EXPECT_EQ(contentOf(dir.path() / "report"), kExampleBytes);
  EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"report"});
}

TEST(ExportFile, ACancelTouchesNothing) {
  TempDir dir;
  dir.write("keep.txt", "old");
  FakeSaveAFile dialog{u""};
  EXPECT_EQ(exportExample(dialog.function()), 0);
  EXPECT_EQ(contentOf(dir.path() / "keep.txt"), "old");
  EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"keep.txt"});
}

TEST(ExportFile, ReplacesAnExistingFile) {
  TempDir dir;
  const auto file = dir.write("out.txt", "a longer old content that must go entirely");
  FakeSaveAFile dialog{dir.u16("out.txt")};
  EXPECT_EQ(exportExample(dialog.function()), 1);
  EXPECT_EQ(contentOf(file), kExampleBytes);
  EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"out.txt"});
}

TEST(ExportFile, AReadOnlyTargetStaysAsItWas) {
  TempDir dir;
  const auto file = dir.write("locked.txt", "old");
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
  FakeSaveAFile dialog{dir.u16("locked.txt")};
  std::string description;
  EXPECT_EQ(errorNumberOf([&] { exportExample(dialog.function()); }, &description), 70);
  EXPECT_NE(description.find(file.string()), std::string::npos) << description;
  // An unprivileged user, in a folder where anyone may create files.
  ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
  const int result =
      runAsNobody([&] { return errorNumberOf([&] { exportExample(dialog.function()); }); });
  EXPECT_EQ(result, 70);
  EXPECT_EQ(contentOf(file), "old");
  EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"locked.txt"});
}

TEST(ExportFile, AFolderThatMayNotBeWrittenLeavesTheOldFile) {
  TempDir dir;
  const auto folder = dir.mkdir("shut");
  const auto file = dir.write("shut/out.txt", "old");
  ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
  FakeSaveAFile dialog{dir.u16("shut/out.txt")};
  const int result =
      runAsNobody([&] { return errorNumberOf([&] { exportExample(dialog.function()); }); });
  EXPECT_EQ(result, 70);
  EXPECT_EQ(contentOf(file), "old");
  EXPECT_EQ(namesIn(folder), std::set<std::string>{"out.txt"});
}

TEST(ExportFile, AMissingFolderIsPathNotFound) {
  TempDir dir;
  FakeSaveAFile dialog{dir.u16("missing/out.txt")};
  std::string description;
  EXPECT_EQ(errorNumberOf([&] { exportExample(dialog.function()); }, &description), 76);
  EXPECT_NE(description.find("missing/out.txt"), std::string::npos) << description;
  EXPECT_TRUE(namesIn(dir.path()).empty());
}

TEST(ExportFile, ASymbolicLinkIsWrittenThroughAndKept) {
  TempDir dir;
  const auto real = dir.write("real.txt", "old");
  ASSERT_EQ(::symlink("real.txt", (dir.path() / "link.txt").c_str()), 0);
  FakeSaveAFile dialog{dir.u16("link.txt")};
  EXPECT_EQ(exportExample(dialog.function()), 1);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "link.txt"));
  EXPECT_EQ(contentOf(real), kExampleBytes);
  EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"link.txt", "real.txt"}));
}

TEST(ExportFile, NeedsADialog) {
  EXPECT_EQ(errorNumberOf([] { exportExample(SaveAFileFunction{}); }), 5);
}

TEST(ExportFile, ThroughSaveAFileAndTheInstalledDialog) {
  TempDir dir;
  const std::string target = (dir.path() / "through.txt").string();
  std::string title;
  const Module1::ScopedSaveDialog installed([&](Module1::OPENFILENAME& ofn) {
    title = ofn.lpstrTitle;
    // As a user who typed the name with a space before it.
    return acceptChosenPath(ofn, " " + target);
  });
  const auto saveAFile = [](std::u16string& sInitDir, const std::u16string& sFileFilters,
                            std::u16string& sTitle, int32_t& lParentHwnd) {
    return SaveAFile(sInitDir, sFileFilters, sTitle, lParentHwnd);
  };
  EXPECT_EQ(exportExample(saveAFile), 1);
  EXPECT_EQ(title, "Save Export As...");
  EXPECT_EQ(contentOf(target), kExampleBytes);
}

}  // namespace
}  // namespace cvn
