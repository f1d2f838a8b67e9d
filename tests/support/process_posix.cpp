#include "support/process.hpp"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <stdexcept>

#include "platform/file_descriptor_posix.hpp"
#include "platform/process_posix.hpp"

extern char** environ;

namespace cvn::test {
inline namespace process {
namespace {

using Clock = std::chrono::steady_clock;

// A copy of a program in a folder anyone may enter: the build folder may sit
// where nobody cannot reach it (a home of mode 700).
std::string reachableCopy(const std::string& program) {
  // Removed with the test process.
  struct Copies {
    std::map<std::string, std::filesystem::path> paths;
    ~Copies() {
      std::error_code ignored;
      for (const auto& [from, to] : paths) std::filesystem::remove_all(to.parent_path(), ignored);
    }
  };
  static Copies copies;
  auto& copy = copies.paths[program];
  if (copy.empty()) {
    char folder[] = "/tmp/cvn-exe-XXXXXX";
    if (::mkdtemp(folder) == nullptr || ::chmod(folder, 0755) != 0) {
      throw std::runtime_error("cannot make a folder for " + program);
    }
    copy = std::filesystem::path(folder) / std::filesystem::path(program).filename();
    std::filesystem::copy_file(program, copy);
    std::filesystem::permissions(copy, std::filesystem::perms(0755));
  }
  return copy.string();
}

std::vector<std::string> environmentWith(const Options& options) {
  std::map<std::string, std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const size_t equals = text.find('=');
    if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const auto& [name, value] : options.env) {
    if (value) {
      variables[name] = *value;
    } else {
      variables.erase(name);
    }
  }
  std::vector<std::string> result;
  for (const auto& [name, value] : variables) result.push_back(name + "=" + value);
  return result;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> result;
  for (std::string& text : texts) result.push_back(text.data());
  result.push_back(nullptr);
  return result;
}

// In the child, before it runs: its own process group or session, death with
// the test, its folder and nobody's rights. False when a step fails.
bool prepare(const Options& options) {
  if (!options.terminal && (options.detached ? ::setsid() < 0 : ::setpgid(0, 0) != 0)) {
    return false;
  }
  if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0) return false;
  if (options.asNobody &&
      (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
    return false;
  }
  return ::prctl(PR_SET_PDEATHSIG, SIGKILL) == 0;  // after the change of user, which clears it
}

// Starts the child with its streams on pipes (or a terminal) and runs `body` in it.
template <typename Body>
Outcome runChild(const Options& options, Body body) {
  Pipe in = makePipe(), out = makePipe(), err = makePipe();
  FileDescriptor master;
  pid_t child = -1;
  if (options.terminal) {
    int fd = -1;
    winsize size{24, 80, 0, 0};
    child = ::forkpty(&fd, nullptr, nullptr, &size);
    if (child > 0) master = FileDescriptor(fd);
  } else {
    child = ::fork();
  }
  if (child < 0) throw std::runtime_error("cannot start a child process");
  if (child == 0) {
    if (!options.terminal) {
      const int input = options.input ? in.read.get() : ::open("/dev/null", O_RDONLY);
      if (::dup2(input, 0) < 0 || ::dup2(out.write.get(), 1) < 0 ||
          ::dup2(err.write.get(), 2) < 0) {
        _exit(126);
      }
    }
    if (!prepare(options)) _exit(126);
    _exit(body() & 0xFF);
  }
  in.read.reset();
  out.write.reset();
  err.write.reset();
  if (options.input) {
    const int to = options.terminal ? master.get() : in.write.get();
    if (::write(to, options.input->data(), options.input->size()) < 0) {
      throw std::runtime_error("cannot write the child's input");
    }
    in.write.reset();
  }

  Outcome outcome;
  const auto deadline = Clock::now() + options.timeout;
  bool signalled = options.signal == 0;
  std::vector<pollfd> fds = {{options.terminal ? master.get() : out.read.get(), POLLIN, 0},
                             {options.terminal ? -1 : err.read.get(), POLLIN, 0}};
  std::string* sinks[] = {&outcome.out, &outcome.err};
  char buffer[65536];
  int status = 0;
  while (true) {
    if (!signalled && (options.trigger.empty() || std::filesystem::exists(options.trigger))) {
      ::kill(child, options.signal);
      signalled = true;
    }
    if (Clock::now() >= deadline) {
      outcome.timedOut = true;
      ::kill(-child, SIGKILL);
      ::kill(child, SIGKILL);
      break;
    }
    const bool reading = fds[0].fd >= 0 || fds[1].fd >= 0;
    if (!reading && ::waitpid(child, &status, WNOHANG) == child) {
      outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return outcome;
    }
    if (::poll(fds.data(), fds.size(), 10) <= 0) continue;
    for (size_t k = 0; k < fds.size(); ++k) {
      if (fds[k].fd < 0 || fds[k].revents == 0) continue;
      const ssize_t n = ::read(fds[k].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[k]->append(buffer, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        fds[k].fd = -1;  // closed; a terminal whose child has gone reads EIO
      }
    }
  }
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return outcome;
}

}  // namespace

Outcome run(const std::vector<std::string>& argv, const Options& options) {
  const auto found = findOnPath(argv.at(0));
  if (!found) throw std::runtime_error("no program " + argv[0]);
  std::vector<std::string> arguments = argv;
  arguments[0] = options.asNobody ? reachableCopy(*found) : *found;
  std::vector<std::string> environment = environmentWith(options);
  std::vector<char*> args = pointers(arguments), env = pointers(environment);
  return runChild(options, [&] {
    ::execve(args[0], args.data(), env.data());
    return 127;
  });
}

Outcome runCvn(const std::vector<std::string>& args, const Options& options) {
#ifdef CVN_EXE
  std::vector<std::string> argv = {CVN_EXE};
  argv.insert(argv.end(), args.begin(), args.end());
  return run(argv, options);
#else
  (void)args;
  (void)options;
  throw std::runtime_error("this build has no cvn");
#endif
}

Outcome runCheck(const std::function<int()>& check, const Options& options) {
  return runChild(options, [&] {
    try {
      return check();
    } catch (const std::exception& e) {
      ::dprintf(2, "unexpected exception: %s\n", e.what());
      return 125;
    }
  });
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace process
}  // namespace cvn::test
