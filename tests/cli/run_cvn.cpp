#include "run_cvn.hpp"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <sstream>
#include <stdexcept>

namespace cvn::test {
namespace {

class Pipe {
 public:
  Pipe() {
    if (::pipe2(fds_.data(), O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  }
  ~Pipe() {
    closeRead();
    closeWrite();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  int read() const { return fds_[0]; }
  int write() const { return fds_[1]; }
  void closeRead() { closeEnd(0); }
  void closeWrite() { closeEnd(1); }

 private:
  void closeEnd(int end) {
    if (fds_[end] >= 0) ::close(fds_[end]);
    fds_[end] = -1;
  }
  std::array<int, 2> fds_{-1, -1};
};

// Reads both pipes to their ends together, so that neither can fill up and block cvn.
void drain(Pipe& out, Pipe& err, CvnResult& result) {
  std::array<pollfd, 2> fds = {pollfd{out.read(), POLLIN, 0}, pollfd{err.read(), POLLIN, 0}};
  std::array<std::string*, 2> sinks = {&result.out, &result.err};
  int open = 2;
  char buffer[65536];
  while (open > 0) {
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("poll failed");
    }
    for (size_t k = 0; k < fds.size(); ++k) {
      if (fds[k].fd < 0 || fds[k].revents == 0) continue;
      const ssize_t n = ::read(fds[k].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[k]->append(buffer, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        fds[k].fd = -1;
        --open;
      }
    }
  }
}

}  // namespace

CvnResult runCvn(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                 bool asNobody) {
  // Everything the child needs is prepared before fork.
  const std::string exe = CVN_EXE;
  const std::string folder = cwd.string();
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(exe.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  Pipe out;
  Pipe err;
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    if (::dup2(out.write(), 1) < 0 || ::dup2(err.write(), 2) < 0) _exit(126);
    if (::chdir(folder.c_str()) != 0) _exit(126);
    if (asNobody &&
        (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
      _exit(126);
    }
    ::execv(exe.c_str(), argv.data());
    _exit(127);
  }
  out.closeWrite();
  err.closeWrite();
  CvnResult result;
  drain(out, err, result);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> summaryCells(const std::string& summary, const std::string& label) {
  for (const std::string& line : linesOf(summary)) {
    const size_t bar = line.find(" |");
    if (bar == std::string::npos || line.substr(0, bar).find_last_not_of(' ') + 1 != label.size() ||
        line.compare(0, label.size(), label) != 0) {
      continue;
    }
    std::vector<std::string> cells;
    std::istringstream words(line.substr(bar));
    for (std::string word; words >> word;) {
      if (word != "|") cells.push_back(word);
    }
    return cells;
  }
  return {};
}

}  // namespace cvn::test
