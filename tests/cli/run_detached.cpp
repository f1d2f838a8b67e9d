#include "run_detached.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string_view>

namespace cvn::test {
namespace {

// An anonymous file the child writes into; read back once it has exited, so no pipe can
// fill up and nothing needs polling.
class Capture {
 public:
  Capture() : fd_(::memfd_create("cvn-output", MFD_CLOEXEC)) {
    if (fd_ < 0) throw std::runtime_error("memfd_create failed");
  }
  ~Capture() { ::close(fd_); }
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;
  int fd() const { return fd_; }

  std::string contents() const {
    std::string text;
    char buffer[4096];
    for (off_t at = 0;;) {
      const ssize_t n = ::pread(fd_, buffer, sizeof buffer, at);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throw std::runtime_error("pread failed");
      if (n == 0) return text;
      text.append(buffer, static_cast<size_t>(n));
      at += n;
    }
  }

 private:
  int fd_;
};

std::vector<std::string> environmentWithoutDisplay() {
  std::vector<std::string> kept;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    if (text.starts_with("DISPLAY=") || text.starts_with("WAYLAND_DISPLAY=")) continue;
    kept.emplace_back(text);
  }
  return kept;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> result;
  for (std::string& text : texts) result.push_back(text.data());
  result.push_back(nullptr);
  return result;
}

}  // namespace

CvnResult runCvnDetached(const std::vector<std::string>& args, const std::filesystem::path& cwd) {
  // Everything the child needs is prepared before fork.
  std::vector<std::string> argvTexts = {CVN_EXE};
  argvTexts.insert(argvTexts.end(), args.begin(), args.end());
  std::vector<std::string> envTexts = environmentWithoutDisplay();
  const std::vector<char*> argv = pointers(argvTexts);
  const std::vector<char*> envp = pointers(envTexts);
  const std::string folder = cwd.string();

  Capture out;
  Capture err;
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    const int input = ::open("/dev/null", O_RDONLY);
    if (::setsid() < 0 || input < 0 || ::dup2(input, 0) < 0 || ::dup2(out.fd(), 1) < 0 ||
        ::dup2(err.fd(), 2) < 0 || ::chdir(folder.c_str()) != 0) {
      _exit(126);
    }
    ::execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  CvnResult result;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = out.contents();
  result.err = err.contents();
  return result;
}

}  // namespace cvn::test
