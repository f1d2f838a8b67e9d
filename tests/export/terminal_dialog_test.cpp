// The terminal Save dialog, driven through a pseudo-terminal that is the
// controlling terminal of a child process, as a user at a console would.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "export/export_file.hpp"
#include "export/save_dialog.hpp"
#include "platform/file_descriptor_posix.hpp"
#include "platform/process_posix.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

using test::TempDir;
using test::u16;
using test::u8;

// Generous, for a loaded machine; only reached when something is broken.
constexpr auto kPatience = std::chrono::seconds(30);

// A prompt to wait for on the terminal, and what to type then.
struct Step {
  std::string prompt;
  std::string typed;
};

struct TerminalRun {
  bool finished = false;   // the child exited normally within the patience
  std::string result;      // what the child's call returned
  std::string transcript;  // everything the terminal showed
};

// Reads what the terminal shows until it contains `wanted` after `from`, or
// until the child closed the terminal (wanted empty) or the patience ran out.
bool readUntil(int master, std::string& transcript, size_t from, const std::string& wanted) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  for (;;) {
    if (!wanted.empty() && transcript.find(wanted, from) != std::string::npos) return true;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{master, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    char buffer[1024];
    const ssize_t n = ::read(master, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return wanted.empty();  // EIO: every slave descriptor is closed
    transcript.append(buffer, static_cast<size_t>(n));
  }
}

// Runs a call in a child whose controlling terminal is a new pseudo-terminal,
// types the steps' answers at their prompts and collects the outcome.
TerminalRun runOnTerminal(const std::function<std::string()>& call,
                          const std::vector<Step>& steps) {
  TerminalRun run;
  FileDescriptor master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
  if (master.get() < 0 || ::grantpt(master.get()) != 0 || ::unlockpt(master.get()) != 0) return run;
  char slaveName[128];
  if (::ptsname_r(master.get(), slaveName, sizeof slaveName) != 0) return run;
  Pipe out = makePipe();  // the call's result, from the child

  const pid_t child = ::fork();
  if (child < 0) return run;
  if (child == 0) {
    // A new session whose controlling terminal is the pseudo-terminal: /dev/tty is it.
    if (::setsid() < 0) _exit(10);
    const int slave = ::open(slaveName, O_RDWR);
    if (slave < 0 || ::ioctl(slave, TIOCSCTTY, 0) != 0) _exit(11);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    std::string result;
    try {
      result = call();
    } catch (...) {
      _exit(12);
    }
    const bool written = ::write(out.write.get(), result.data(), result.size()) ==
                         static_cast<ssize_t>(result.size());
    _exit(written ? 0 : 13);
  }
  out.write.reset();  // the child's copy alone, so that reading ends when it exits

  bool answered = true;
  for (const auto& step : steps) {
    if (!readUntil(master.get(), run.transcript, run.transcript.size(), step.prompt)) {
      answered = false;
      break;
    }
    if (::write(master.get(), step.typed.data(), step.typed.size()) !=
        static_cast<ssize_t>(step.typed.size())) {
      answered = false;
      break;
    }
  }
  const bool closed = answered && readUntil(master.get(), run.transcript, 0, "");
  if (!closed) ::kill(child, SIGKILL);  // never leave the test hanging on a prompt
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  run.finished = closed && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (run.finished) {
    char buffer[512];
    ssize_t n;
    while ((n = ::read(out.read.get(), buffer, sizeof buffer)) > 0) run.result.append(buffer, n);
  }
  return run;
}

// SaveAFile as exportFile calls it, in the given initial folder.
std::function<std::string()> saveAFileIn(const std::string& initDir) {
  return [initDir] {
    std::u16string sInitDir = u16(initDir);
    std::u16string sTitle = u"Save Export As...";
    int32_t lParentHwnd = 0;
    return u8(SaveAFile(sInitDir, u"Text File (*.txt);*.txt", sTitle, lParentHwnd));
  };
}

std::string contentOf(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::string kNamePrompt = "File name (empty to cancel): ";

TEST(TerminalDialog, ARelativeNameIsTakenInTheInitialFolder) {
  TempDir dir;
  const std::string folder = dir.path().string();
  const auto run = runOnTerminal(saveAFileIn(folder), {{kNamePrompt, "out.txt\n"}});
  ASSERT_TRUE(run.finished) << run.transcript;
  EXPECT_EQ(run.result, folder + "/out.txt");
  EXPECT_NE(run.transcript.find("Save Export As..."), std::string::npos) << run.transcript;
  EXPECT_NE(run.transcript.find("Folder: " + folder), std::string::npos) << run.transcript;
  EXPECT_NE(run.transcript.find("File types: Text File (*.txt) [*.txt]"), std::string::npos)
      << run.transcript;
}

TEST(TerminalDialog, AnAbsoluteNameIsTakenAsItIs) {
  TempDir dir;
  const std::string path = dir.path().string() + "/abs.txt";
  const auto run = runOnTerminal(saveAFileIn("/"), {{kNamePrompt, path + "\n"}});
  ASSERT_TRUE(run.finished) << run.transcript;
  EXPECT_EQ(run.result, path);
}

TEST(TerminalDialog, AMissingInitialFolderStartsInTheWorkingFolder) {
  TempDir dir;
  const std::string folder = std::filesystem::canonical(dir.path()).string();
  const auto inFolder = [folder] {
    if (::chdir(folder.c_str()) != 0) return std::string("chdir failed");
    return saveAFileIn("c:\\")();
  };
  const auto run = runOnTerminal(inFolder, {{kNamePrompt, "here.txt\n"}});
  ASSERT_TRUE(run.finished) << run.transcript;
  EXPECT_EQ(run.result, folder + "/here.txt");
  EXPECT_NE(run.transcript.find("Folder: " + folder), std::string::npos) << run.transcript;
}

TEST(TerminalDialog, AnEmptyAnswerCancels) {
  TempDir dir;
  const auto run = runOnTerminal(saveAFileIn(dir.path().string()), {{kNamePrompt, "\n"}});
  ASSERT_TRUE(run.finished) << run.transcript;
  EXPECT_EQ(run.result, "");
}

TEST(TerminalDialog, TheEndOfInputCancels) {
  TempDir dir;
  // Control-D at the start of a line: the terminal's end of input.
  const auto run = runOnTerminal(saveAFileIn(dir.path().string()), {{kNamePrompt, "\x04"}});
  ASSERT_TRUE(run.finished) << run.transcript;
  EXPECT_EQ(run.result, "");
}

TEST(TerminalDialog, AnExistingFileIsReplacedOnlyWhenConfirmed) {
  TempDir dir;
  const std::string folder = dir.path().string();
  dir.write("exists.txt", "old");
  const std::string question = "Replace it? [y/N] ";
  for (const auto& [answer, expected] : std::vector<std::pair<std::string, std::string>>{
           {"y\n", folder + "/exists.txt"},
           {"yes\n", folder + "/exists.txt"},
           {"n\n", ""},
           {"\n", ""},
           {"whatever\n", ""},
       }) {
    const auto run =
        runOnTerminal(saveAFileIn(folder), {{kNamePrompt, "exists.txt\n"}, {question, answer}});
    ASSERT_TRUE(run.finished) << run.transcript;
    EXPECT_EQ(run.result, expected) << answer;
    EXPECT_NE(run.transcript.find(folder + "/exists.txt already exists."), std::string::npos)
        << run.transcript;
  }
  EXPECT_EQ(contentOf(dir.path() / "exists.txt"), "old");
}

TEST(TerminalDialog, AFolderIsAskedAgain) {
  TempDir dir;
  dir.mkdir("sub");
  const std::string folder = dir.path().string();
  // The terminal shows each line end as "\r\n".
  const auto run = runOnTerminal(
      saveAFileIn(folder), {{kNamePrompt, "sub\n"}, {"is a folder.\r\n" + kNamePrompt, "f\n"}});
  ASSERT_TRUE(run.finished) << run.transcript;
  EXPECT_EQ(run.result, folder + "/f");
}

TEST(TerminalDialog, APathThatDoesNotFitIsAskedAgain) {
  TempDir dir;
  const auto run = runOnTerminal(
      saveAFileIn(dir.path().string()),
      {{kNamePrompt, std::string(300, 'a') + "\n"}, {"cannot be used.\r\n" + kNamePrompt, "\n"}});
  ASSERT_TRUE(run.finished) << run.transcript;
  EXPECT_EQ(run.result, "");
}

TEST(TerminalDialog, ExportFileWritesWhereTheUserSaid) {
  TempDir dir;
  const std::string folder = std::filesystem::canonical(dir.path()).string();
  const auto exportHere = [folder] {
    if (::chdir(folder.c_str()) != 0) return std::string("chdir failed");
    const auto saveAFile = [](std::u16string& sInitDir, const std::u16string& sFileFilters,
                              std::u16string& sTitle, int32_t& lParentHwnd) {
      return SaveAFile(sInitDir, sFileFilters, sTitle, lParentHwnd);
    };
    return std::to_string(exportFile(u"H", u"a|||b|||", u"F", u"x", saveAFile));
  };
  const auto run = runOnTerminal(exportHere, {{kNamePrompt, "export.txt\n"}});
  ASSERT_TRUE(run.finished) << run.transcript;
  EXPECT_EQ(run.result, "1");
  EXPECT_EQ(contentOf(dir.path() / "export.txt"), "Ha\rb\r\r\rFx");
}

}  // namespace
}  // namespace cvn
