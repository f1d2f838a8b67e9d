#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace cvn::test {

// Every case of the bad-input matrix ends within this bound, hang or not.
inline constexpr std::chrono::seconds kCaseBound{60};

// What one bounded run did.
struct BoundedResult {
  int status = -1;  // exit status; 128 + signal when it was killed
  bool timedOut = false;
  std::string out;
  std::string err;
};

// Runs the built cvn with the arguments (no shell) in a working folder and kills it, with
// everything it started, when it is still running after the bound. asNobody drops root's
// privileges to user and group 65534 first, so that permission errors are real.
BoundedResult runCvnBounded(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                            bool asNobody = false, std::chrono::seconds bound = kCaseBound);

// Runs a check in a child process (optionally as nobody) within the bound. The check's
// result (0-255) is the exit status; what it writes to stderr comes back in err.
BoundedResult runCheckBounded(const std::function<int()>& check, bool asNobody,
                              std::chrono::seconds bound = kCaseBound);

// True when the text is one line ending in a line feed, with no other line feed in it.
bool isOneLine(const std::string& text);

}  // namespace cvn::test
