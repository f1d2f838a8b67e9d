// The export through the real zenity Save dialog, in a virtual X server,
// typed at by xdotool as a user would. Needs the programs Xvfb, zenity and
// xdotool: skipped without them, except under CI (CI=true), where their
// absence fails.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <system_error>
#include <thread>

#include "export/export_file.hpp"
#include "export/save_dialog.hpp"
#include "platform/process_posix.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

using test::TempDir;
using Clock = std::chrono::steady_clock;

// Generous bounds for a slow start of the X server and of GTK; they only
// matter when something is broken.
constexpr auto kPatience = std::chrono::seconds(30);
// How long one key press may take to have its effect before the next one.
constexpr auto kKeyEffect = std::chrono::seconds(3);
constexpr auto kPollStep = std::chrono::milliseconds(100);

const std::string kExampleBytes = "Ha\rb\r\r\rFx";

bool inCi() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::string(ci) == "true";
}

std::vector<std::string> missingPrograms() {
  std::vector<std::string> missing;
  for (const char* program : {"Xvfb", "zenity", "xdotool"}) {
    if (!findOnPath(program)) missing.emplace_back(program);
  }
  return missing;
}

// Starts a program found on PATH with stdin and stderr on /dev/null and stdout
// on `out` (or /dev/null); -1 when it cannot be started.
pid_t spawn(const std::vector<std::string>& command, int out = kNullDevice) {
  try {
    return startProcess(command, {.output = out});
  } catch (const std::system_error&) {
    return -1;
  }
}

// The exit status of a child once it ended, or nothing when it is still running.
std::optional<int> exitOf(pid_t child, Clock::time_point deadline) {
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(child, &status, WNOHANG);
    if (done == child) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (done < 0 && errno != EINTR) return -1;
    if (Clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(kPollStep);
  }
}

void stop(pid_t child, int signal) {
  if (child <= 0) return;
  ::kill(child, signal);
  while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
}

// Reads a descriptor until a line is complete, the end, or the deadline.
std::string readLine(int fd, Clock::time_point deadline) {
  std::string text;
  while (text.find('\n') == std::string::npos) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd p{fd, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
    char buffer[256];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  return text.substr(0, text.find('\n'));
}

// Runs a short command to its end (killed at the patience) and returns its output.
std::optional<std::string> run(const std::vector<std::string>& command) {
  Pipe out = makePipe();
  const pid_t child = spawn(command, out.write.get());
  out.write.reset();
  std::string output;
  const auto deadline = Clock::now() + kPatience;
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd p{out.read.get(), POLLIN, 0};
    if (child < 0 || left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
    char buffer[256];
    const ssize_t n = ::read(out.read.get(), buffer, sizeof buffer);
    if (n <= 0) break;
    output.append(buffer, static_cast<size_t>(n));
  }
  out.read.reset();
  const auto status = child < 0 ? std::optional(-1) : exitOf(child, deadline);
  if (!status) stop(child, SIGKILL);
  if (status != 0) return std::nullopt;
  return output;
}

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

class ZenityDialog : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!missingPrograms().empty()) return;
    Pipe display = makePipe();
    // The server picks a free display itself and tells its number when ready.
    server_ = spawn({"Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                    display.write.get());
    display.write.reset();
    const std::string number = readLine(display.read.get(), Clock::now() + kPatience);
    if (server_ > 0 && !number.empty()) display_ = ":" + number;
  }

  static void TearDownTestSuite() {
    stop(server_, SIGTERM);
    server_ = -1;
  }

  void SetUp() override {
    const auto missing = missingPrograms();
    if (!missing.empty()) {
      std::string names;
      for (const auto& name : missing) names += " " + name;
      if (inCi()) FAIL() << "programs missing under CI:" << names;
      GTEST_SKIP() << "the real dialog needs the programs Xvfb, zenity and xdotool; missing:"
                   << names;
    }
    ASSERT_FALSE(display_.empty()) << "the X server did not start";
  }

  void TearDown() override {
    // The whole group: the exporting child and the dialog it started.
    if (exporter_ > 0) ::kill(-exporter_, SIGKILL);
    stop(exporter_, SIGKILL);
  }

  // Exports the example from a child process working in `folder` (so that the
  // dialog starts there: exportFile's "c:\" does not exist).
  void startExport(const std::filesystem::path& folder) {
    exporter_ = ::fork();
    ASSERT_GE(exporter_, 0);
    if (exporter_ != 0) {
      ::setpgid(exporter_, exporter_);  // also here, so that TearDown never misses the group
      return;
    }
    ::setpgid(0, 0);
    if (::chdir(folder.c_str()) != 0) _exit(101);
    ::setenv("DISPLAY", display_.c_str(), 1);
    ::unsetenv("WAYLAND_DISPLAY");
    ::setenv("HOME", folder.parent_path().c_str(), 1);  // GTK's settings stay out of the folder
    ::setenv("NO_AT_BRIDGE", "1", 1);
    ::setenv("GDK_BACKEND", "x11", 1);
    try {
      const auto saveAFile = [](std::u16string& sInitDir, const std::u16string& sFileFilters,
                                std::u16string& sTitle, int32_t& lParentHwnd) {
        return SaveAFile(sInitDir, sFileFilters, sTitle, lParentHwnd);
      };
      _exit(exportFile(u"H", u"a|||b|||", u"F", u"x", saveAFile));
    } catch (...) {
      _exit(102);
    }
  }

  std::vector<std::string> xdotool(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), "xdotool");
    return arguments;
  }

  // Waits for the dialog's window by its title and gives it the keyboard
  // (there is no window manager to do that). Asks again until the focus is
  // there: a window that has just appeared may not take it yet.
  bool focusDialog() {
    const auto deadline = Clock::now() + kPatience;
    while (Clock::now() < deadline) {
      const auto found =
          run(withDisplay(xdotool({"search", "--onlyvisible", "--name", "^Save Export As"})));
      const std::string window = found ? found->substr(0, found->find('\n')) : "";
      if (!window.empty()) {
        run(withDisplay(xdotool({"windowfocus", window})));
        const auto focused = run(withDisplay(xdotool({"getwindowfocus"})));
        if (focused && focused->substr(0, focused->find('\n')) == window) return true;
      }
      std::this_thread::sleep_for(kPollStep);
    }
    return false;
  }

  bool type(const std::string& text) {
    return run(withDisplay(xdotool({"type", "--delay", "20", text}))).has_value();
  }

  // Presses a key until the export ends: a name's completion popup, the
  // overwrite question and the dialog itself each take one press.
  std::optional<int> pressUntilDone(const std::string& key) {
    for (int press = 0; press < 8; ++press) {
      if (!run(withDisplay(xdotool({"key", key})))) return std::nullopt;
      if (auto status = exitOf(exporter_, Clock::now() + kKeyEffect)) {
        exporter_ = -1;
        return status;
      }
    }
    return std::nullopt;
  }

  std::vector<std::string> withDisplay(std::vector<std::string> command) const {
    command.insert(command.begin(), {"env", "DISPLAY=" + display_});
    return command;
  }

  static pid_t server_;
  static std::string display_;
  pid_t exporter_ = -1;
};

pid_t ZenityDialog::server_ = -1;
std::string ZenityDialog::display_;

TEST_F(ZenityDialog, SavesANewFileInTheWorkingFolder) {
  TempDir dir;
  const auto folder = dir.mkdir("work");
  startExport(folder);
  ASSERT_TRUE(focusDialog());
  ASSERT_TRUE(type("report.txt"));
  EXPECT_EQ(pressUntilDone("Return"), 1);
  EXPECT_EQ(contentOf(folder / "report.txt"), kExampleBytes);
  EXPECT_EQ(namesIn(folder), std::set<std::string>{"report.txt"});
}

TEST_F(ZenityDialog, ReplacesAnExistingFileWhenTheUserConfirms) {
  TempDir dir;
  const auto folder = dir.mkdir("work");
  dir.write("work/old.txt", "old content");
  startExport(folder);
  ASSERT_TRUE(focusDialog());
  ASSERT_TRUE(type("old.txt"));
  // Replace is the overwrite question's default button.
  EXPECT_EQ(pressUntilDone("Return"), 1);
  EXPECT_EQ(contentOf(folder / "old.txt"), kExampleBytes);
  EXPECT_EQ(namesIn(folder), std::set<std::string>{"old.txt"});
}

TEST_F(ZenityDialog, ClosingTheDialogWritesNothing) {
  TempDir dir;
  const auto folder = dir.mkdir("work");
  startExport(folder);
  ASSERT_TRUE(focusDialog());
  EXPECT_EQ(pressUntilDone("Escape"), 0);
  EXPECT_TRUE(namesIn(folder).empty());
}

}  // namespace
}  // namespace cvn
