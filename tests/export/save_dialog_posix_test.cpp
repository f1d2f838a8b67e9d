#include "export/save_dialog_posix.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "export/module1.hpp"
#include "platform/process_posix.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

using namespace std::string_literals;
using Module1::OPENFILENAME;
using test::TempDir;
using Strings = std::vector<std::string>;

// A record with its own buffers, as SaveAFile fills it.
class Record {
 public:
  Record(std::string filterList, std::string initialDir, std::string title, int32_t flags = 2)
      : filter_(std::move(filterList) + '\0'),
        initialDir_(std::move(initialDir)),
        title_(std::move(title)) {
    file_.back() = '\0';
    fileTitle_.back() = '\0';
    ofn.lStructSize = Module1::kOpenFileNameSize;
    ofn.lpstrFilter = filter_.c_str();
    ofn.lpstrFile = file_.data();
    ofn.nMaxFile = static_cast<int32_t>(file_.size());
    ofn.lpstrFileTitle = fileTitle_.data();
    ofn.nMaxFileTitle = static_cast<int32_t>(fileTitle_.size());
    ofn.lpstrInitialDir = initialDir_.c_str();
    ofn.lpstrTitle = title_.c_str();
    ofn.Flags = flags;
  }
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;

  std::string file() const { return file_.data(); }
  std::string fileTitle() const { return fileTitle_.data(); }
  bool untouched() const {
    return std::string(file_.begin(), file_.end()) == std::string(254, ' ') + '\0' &&
           ofn.nFileOffset == 0 && ofn.nFileExtension == 0;
  }

  OPENFILENAME ofn;

 private:
  static std::vector<char> spaces() { return std::vector<char>(255, ' '); }

  std::string filter_, initialDir_, title_;
  std::vector<char> file_ = spaces();
  std::vector<char> fileTitle_ = spaces();
};

const std::string kExportFilter = "Text File (*.txt)\0*.txt\0"s;

std::string workingFolder() {
  return std::filesystem::current_path().string();
}

std::string fakeProgram(const TempDir& dir, const std::string& name, const std::string& body) {
  const auto path = dir.write(name, "#!/bin/sh\n" + body + "\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  return path.string();
}

std::string contentOf(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool noChildLeft() {
  errno = 0;
  return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

// Runs a call in a child process, so that changes of its environment and
// session stay there; returns what the call returned, nothing when it failed.
std::optional<std::string> inChild(const std::function<std::string()>& call) {
  Pipe pipe = makePipe();
  const pid_t child = ::fork();
  if (child == 0) {
    pipe.read.reset();
    std::string result;
    try {
      result = call();
    } catch (...) {
      _exit(3);
    }
    const bool written = ::write(pipe.write.get(), result.data(), result.size()) ==
                         static_cast<ssize_t>(result.size());
    _exit(written ? 0 : 4);
  }
  pipe.write.reset();
  std::string output;
  char buffer[512];
  ssize_t n;
  while ((n = ::read(pipe.read.get(), buffer, sizeof buffer)) > 0) output.append(buffer, n);
  if (child < 0 || waitForProcess(child) != 0) return std::nullopt;
  return output;
}

TEST(DescribeSaveDialog, ReadsTheRecord) {
  TempDir dir;
  Record record(kExportFilter, dir.path().string() + "//", "Save Export As...");
  const SaveDialogRequest request = describeSaveDialog(record.ofn);
  EXPECT_EQ(request.title, "Save Export As...");
  EXPECT_EQ(request.folder, dir.path().string());
  ASSERT_EQ(request.filters.size(), 1u);
  EXPECT_EQ(request.filters[0].description, "Text File (*.txt)");
  EXPECT_EQ(request.filters[0].pattern, "*.txt");
  EXPECT_TRUE(request.confirmOverwrite);
  Record noFlag("", "/", "", 0);
  EXPECT_FALSE(describeSaveDialog(noFlag.ofn).confirmOverwrite);
  EXPECT_EQ(describeSaveDialog(noFlag.ofn).folder, "/");
}

TEST(DescribeSaveDialog, AMissingInitialFolderStartsInTheWorkingFolder) {
  for (const char* initial : {"c:\\", "", "/no/such/folder"}) {
    Record record(kExportFilter, initial, "t");
    EXPECT_EQ(describeSaveDialog(record.ofn).folder, workingFolder()) << initial;
  }
  OPENFILENAME bare;
  EXPECT_EQ(describeSaveDialog(bare).folder, workingFolder());
  EXPECT_TRUE(describeSaveDialog(bare).filters.empty());
}

TEST(ParseFilterList, PairsAndALoneEntry) {
  const std::string list = "Sources\0*.c\0*.h\0\0"s;
  const auto filters = parseFilterList(list.c_str());
  ASSERT_EQ(filters.size(), 2u);
  EXPECT_EQ(filters[0].description, "Sources");
  EXPECT_EQ(filters[0].pattern, "*.c");
  EXPECT_EQ(filters[1].description, "*.h");
  EXPECT_EQ(filters[1].pattern, "");
  EXPECT_TRUE(parseFilterList("").empty());
  EXPECT_TRUE(parseFilterList(nullptr).empty());
}

TEST(ZenityArguments, TheExportDialog) {
  Record record(kExportFilter, "c:\\", "Save Export As...");
  EXPECT_EQ(
      zenityArguments(describeSaveDialog(record.ofn)),
      (Strings{"--file-selection", "--save", "--confirm-overwrite", "--title=Save Export As...",
               "--filename=" + workingFolder() + "/", "--file-filter=Text File (*.txt) | *.txt"}));
}

TEST(ZenityArguments, Filters) {
  SaveDialogRequest request;
  request.title = "T";
  request.folder = "/";
  request.filters = {{"A", "*.a"}, {"All", "*.*"}, {"*.h", ""}, {"Lonely", ""}};
  EXPECT_EQ(zenityArguments(request),
            (Strings{"--file-selection", "--save", "--title=T", "--filename=/",
                     "--file-filter=A | *.a", "--file-filter=All | *", "--file-filter=*.h"}));
}

TEST(AcceptChosenPath, CopiesThePathAndItsParts) {
  Record record("", "", "");
  ASSERT_EQ(acceptChosenPath(record.ofn, "/tmp/dir.d/report.txt"), 1);
  EXPECT_EQ(record.file(), "/tmp/dir.d/report.txt");
  EXPECT_EQ(record.fileTitle(), "report.txt");
  EXPECT_EQ(record.ofn.nFileOffset, 11);
  EXPECT_EQ(record.ofn.nFileExtension, 18);
  ASSERT_EQ(acceptChosenPath(record.ofn, "/tmp/dir.d/README"), 1);
  EXPECT_EQ(record.ofn.nFileExtension, 17);  // the terminating NUL
  ASSERT_EQ(acceptChosenPath(record.ofn, "plain"), 1);
  EXPECT_EQ(record.ofn.nFileOffset, 0);
}

TEST(AcceptChosenPath, APathThatDoesNotFitIsRefused) {
  Record record("", "", "");
  EXPECT_EQ(acceptChosenPath(record.ofn, "/" + std::string(254, 'a')), 0);
  EXPECT_EQ(acceptChosenPath(record.ofn, ""), 0);
  EXPECT_EQ(acceptChosenPath(record.ofn, "/a\0b"s), 0);
  EXPECT_TRUE(record.untouched());
  EXPECT_EQ(acceptChosenPath(record.ofn, "/" + std::string(253, 'a')), 1);
  OPENFILENAME bare;
  EXPECT_EQ(acceptChosenPath(bare, "/a"), 0);
}

TEST(RunZenity, PassesTheArgumentsAndTakesThePath) {
  TempDir dir;
  const std::string args = (dir.path() / "args").string();
  const std::string zenity = fakeProgram(dir, "zenity",
                                         "for a; do printf '%s\\n' \"$a\"; done > '" + args +
                                             "'\nprintf '%s\\n' '/chosen/caf\xE9.txt'");
  Record record(kExportFilter, dir.path().string(), "Save Export As...");
  EXPECT_EQ(runZenitySaveDialog(zenity, record.ofn), 1);
  EXPECT_EQ(record.file(), "/chosen/caf\xE9.txt");
  std::string expected;
  for (const auto& a : zenityArguments(describeSaveDialog(record.ofn))) expected += a + "\n";
  EXPECT_EQ(contentOf(args), expected);
  EXPECT_TRUE(noChildLeft());
}

TEST(RunZenity, APathWithoutLineEndIsTaken) {
  TempDir dir;
  const std::string zenity = fakeProgram(dir, "zenity", "printf '/x/y z '");
  Record record(kExportFilter, "", "");
  EXPECT_EQ(runZenitySaveDialog(zenity, record.ofn), 1);
  EXPECT_EQ(record.file(), "/x/y z ");
}

TEST(RunZenity, AnythingButExitZeroWithAPathIsACancel) {
  TempDir dir;
  const std::string longPath = "/" + std::string(300, 'a');
  for (const std::string& body : Strings{
           "echo /x/cancelled.txt; exit 1",           // the user closed the dialog
           "echo /x/died.txt; kill -KILL $$",         // the program died
           "exit 0",                                  // nothing chosen
           "echo",                                    // an empty line
           "echo " + longPath,                        // does not fit the record
           "head -c 3000000 /dev/zero | tr '\\0' a",  // more than any path
       }) {
    const std::string zenity = fakeProgram(dir, "zenity", body);
    Record record(kExportFilter, "", "");
    EXPECT_EQ(runZenitySaveDialog(zenity, record.ofn), 0) << body;
    EXPECT_TRUE(record.untouched()) << body;
    EXPECT_TRUE(noChildLeft()) << body;
  }
  Record record(kExportFilter, "", "");
  EXPECT_EQ(runZenitySaveDialog((dir.path() / "missing").string(), record.ofn), 0);
  EXPECT_TRUE(noChildLeft());
}

TEST(RunZenity, WorksInAHostWithoutStandardStreams) {
  TempDir dir;
  const std::string zenity = fakeProgram(dir, "zenity", "echo /no/streams.txt");
  const auto chosen = inChild([&] {
    // The dialog's pipe now gets the descriptors 0 and 1.
    ::close(0);
    ::close(1);
    ::close(2);
    Record record(kExportFilter, "", "");
    const int32_t result = runZenitySaveDialog(zenity, record.ofn);
    return std::to_string(result) + ":" + record.file();
  });
  EXPECT_EQ(chosen, "1:/no/streams.txt");
}

// The system dialog, in a child without a controlling terminal and with the
// environment given.
std::optional<std::string> systemDialogInChild(const char* display, const std::string& path) {
  return inChild([&] {
    ::setsid();
    ::unsetenv("WAYLAND_DISPLAY");
    if (display != nullptr) {
      ::setenv("DISPLAY", display, 1);
    } else {
      ::unsetenv("DISPLAY");
    }
    ::setenv("PATH", path.c_str(), 1);
    Record record(kExportFilter, "c:\\", "Save Export As...");
    const int32_t result = Module1::GetSaveFileNameA(&record.ofn);
    return std::to_string(result) + ":" + record.file();
  });
}

TEST(SystemSaveDialog, UsesZenityWhenThereIsADisplay) {
  TempDir dir;
  fakeProgram(dir, "zenity", "echo /picked/by/zenity.txt");
  EXPECT_EQ(systemDialogInChild(":99", dir.path().string()), "1:/picked/by/zenity.txt");
  EXPECT_EQ(systemDialogInChild("", dir.path().string()), "0:" + std::string(254, ' '));
  EXPECT_EQ(systemDialogInChild(nullptr, dir.path().string()), "0:" + std::string(254, ' '));
}

TEST(SystemSaveDialog, WithoutZenityOrTerminalItCancels) {
  TempDir dir;
  EXPECT_EQ(systemDialogInChild(":99", dir.path().string()), "0:" + std::string(254, ' '));
}

}  // namespace
}  // namespace cvn
