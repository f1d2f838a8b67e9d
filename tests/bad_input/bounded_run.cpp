#include "bounded_run.hpp"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace cvn::test {
namespace {

using Clock = std::chrono::steady_clock;

class Pipe {
 public:
  Pipe() {
    if (::pipe2(fds_.data(), O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  }
  ~Pipe() {
    closeEnd(0);
    closeEnd(1);
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  int read() const { return fds_[0]; }
  int write() const { return fds_[1]; }
  void closeEnd(int end) {
    if (fds_[end] >= 0) ::close(fds_[end]);
    fds_[end] = -1;
  }

 private:
  std::array<int, 2> fds_{-1, -1};
};

// In the child: its own process group (so that a kill reaches everything it starts),
// death with the test process, the pipes as stdout and stderr, and nobody's rights.
bool prepareChild(const Pipe& out, const Pipe& err, bool asNobody) {
  if (::setpgid(0, 0) != 0) return false;
  if (::dup2(out.write(), 1) < 0 || ::dup2(err.write(), 2) < 0) return false;
  if (asNobody && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
    return false;
  }
  // After the change of user, which clears it.
  return ::prctl(PR_SET_PDEATHSIG, SIGKILL) == 0;
}

// Reads both pipes until they close or the deadline passes, then reaps the child,
// killing its process group first when it is late.
BoundedResult collect(pid_t child, Pipe& out, Pipe& err, std::chrono::seconds bound) {
  out.closeEnd(1);
  err.closeEnd(1);
  BoundedResult result;
  const auto deadline = Clock::now() + bound;
  std::array<pollfd, 2> fds = {pollfd{out.read(), POLLIN, 0}, pollfd{err.read(), POLLIN, 0}};
  std::array<std::string*, 2> sinks = {&result.out, &result.err};
  int open = 2;
  char buffer[65536];
  while (open > 0) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      result.timedOut = true;
      break;
    }
    const int ready = ::poll(fds.data(), fds.size(), static_cast<int>(left));
    if (ready < 0 && errno != EINTR) throw std::runtime_error("poll failed");
    if (ready <= 0) continue;
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
  int status = 0;
  if (result.timedOut) {
    ::kill(-child, SIGKILL);
    ::kill(child, SIGKILL);
  } else {
    // The pipes closed; the child may still be about to exit.
    while (Clock::now() < deadline && ::waitpid(child, &status, WNOHANG) == 0) ::usleep(1000);
    if (::waitpid(child, &status, WNOHANG) == 0) {
      result.timedOut = true;
      ::kill(-child, SIGKILL);
      ::kill(child, SIGKILL);
    } else {
      result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return result;
    }
  }
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

}  // namespace

BoundedResult runCvnBounded(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                            bool asNobody, std::chrono::seconds bound) {
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
    if (!prepareChild(out, err, asNobody) || ::chdir(folder.c_str()) != 0) _exit(126);
    ::execv(exe.c_str(), argv.data());
    _exit(127);
  }
  return collect(child, out, err, bound);
}

BoundedResult runCheckBounded(const std::function<int()>& check, bool asNobody,
                              std::chrono::seconds bound) {
  Pipe out;
  Pipe err;
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    if (!prepareChild(out, err, asNobody)) _exit(126);
    int code = 125;
    try {
      code = check();
    } catch (const std::exception& e) {
      ::dprintf(2, "unexpected exception: %s\n", e.what());
    }
    // _exit skips the destructors the parent still owns (temporary folders).
    _exit(code & 0xFF);
  }
  return collect(child, out, err, bound);
}

bool isOneLine(const std::string& text) {
  return !text.empty() && text.find('\n') == text.size() - 1;
}

}  // namespace cvn::test
