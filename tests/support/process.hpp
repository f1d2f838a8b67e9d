#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace cvn::test {

// How a child process of a test ended and what it wrote.
struct Outcome {
  int status = -1;  // exit status; 128 + the signal when one ended it
  bool timedOut = false;
  std::string out;  // with a terminal: everything the terminal received
  std::string err;
};

struct Options {
  std::filesystem::path cwd{};  // empty: the test's own
  // Variables to set (a value) or to remove (none).
  std::vector<std::pair<std::string, std::optional<std::string>>> env{};
  // User and group 65534, so that permission errors are real when tests run as root. A program
  // runs from a copy that nobody can reach, wherever the build folder is.
  bool asNobody = false;
  bool detached = false;  // a session of its own: no controlling terminal
  bool terminal = false;  // stdin, stdout and stderr on a pseudo-terminal of 80 columns
  std::optional<std::string>
      input{};  // written to stdin (or typed at the terminal); else /dev/null
  // Then the child and everything it started are killed.
  std::chrono::milliseconds timeout = std::chrono::seconds(60);
  // Sent once, as soon as `trigger` exists (at once without one).
  int signal = 0;
  std::filesystem::path trigger{};
};

// Runs a program without a shell; argv[0] is a path or a name looked up on PATH.
Outcome run(const std::vector<std::string>& argv, const Options& options = {});

// Runs the built cvn.
Outcome runCvn(const std::vector<std::string>& args, const Options& options = {});

// Runs a check in a forked child; what it returns (0-255) is the exit status.
Outcome runCheck(const std::function<int()>& check, const Options& options = {});

// The lines of a text, without their line ends.
std::vector<std::string> linesOf(const std::string& text);

}  // namespace cvn::test
