#include "cvn_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <map>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace cvn::test {
namespace {

// Everything a child needs, prepared before fork: after it only async-signal-safe calls.
struct ExecPlan {
  std::vector<std::string> argStore;
  std::vector<std::string> envStore;
  std::vector<char*> argv;
  std::vector<char*> envp;
  std::string folder;
  std::string program;

  ExecPlan(const std::vector<std::string>& args, const std::filesystem::path& cwd,
           const EnvChanges& changes)
      : argStore(args), folder(cwd.string()) {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
      const std::string text = *entry;
      const size_t equals = text.find('=');
      if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [name, value] : changes) {
      if (value) {
        variables[name] = *value;
      } else {
        variables.erase(name);
      }
    }
    for (const auto& [name, value] : variables) envStore.push_back(name + "=" + value);
    for (std::string& arg : argStore) argv.push_back(arg.data());
    argv.push_back(nullptr);
    for (std::string& entry : envStore) envp.push_back(entry.data());
    envp.push_back(nullptr);
    program = argStore.at(0);
    // Looked up here, with the child's PATH.
    if (program.find('/') == std::string::npos) {
      const auto path = variables.find("PATH");
      std::string dirs = path == variables.end() ? "/usr/bin:/bin" : path->second;
      size_t start = 0;
      while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string candidate = dirs.substr(start, end - start) + "/" + argStore[0];
        if (::access(candidate.c_str(), X_OK) == 0) {
          program = candidate;
          break;
        }
        start = end + 1;
      }
    }
  }

  [[noreturn]] void exec() {
    if (::chdir(folder.c_str()) != 0) _exit(126);
    // A test run started in the background inherits ignored SIGINT; cvn must see it.
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
};

int waitStatus(pid_t child) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

struct Pipes {
  std::array<int, 2> out{-1, -1};
  std::array<int, 2> err{-1, -1};
  Pipes() {
    if (::pipe2(out.data(), O_CLOEXEC) != 0 || ::pipe2(err.data(), O_CLOEXEC) != 0) {
      throw std::runtime_error("pipe failed");
    }
  }
  ~Pipes() {
    for (int fd : {out[0], out[1], err[0], err[1]}) {
      if (fd >= 0) ::close(fd);
    }
  }
  Pipes(const Pipes&) = delete;
  Pipes& operator=(const Pipes&) = delete;
  void closeWriteEnds() {
    ::close(out[1]);
    ::close(err[1]);
    out[1] = err[1] = -1;
  }
};

pid_t startChild(ExecPlan& plan, Pipes& pipes) {
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    const int devNull = ::open("/dev/null", O_RDONLY);
    if (devNull < 0 || ::dup2(devNull, 0) < 0 || ::dup2(pipes.out[1], 1) < 0 ||
        ::dup2(pipes.err[1], 2) < 0) {
      _exit(126);
    }
    plan.exec();
  }
  pipes.closeWriteEnds();
  return child;
}

// Reads both pipes to their ends together, so that neither can fill up.
void drain(Pipes& pipes, CvnResult& result) {
  std::array<pollfd, 2> fds = {pollfd{pipes.out[0], POLLIN, 0}, pollfd{pipes.err[0], POLLIN, 0}};
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

std::vector<std::string> cvnArgs(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {CVN_EXE};
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

}  // namespace

CvnResult runProgram(const std::vector<std::string>& argv, const std::filesystem::path& cwd,
                     const EnvChanges& env) {
  ExecPlan plan(argv, cwd, env);
  Pipes pipes;
  const pid_t child = startChild(plan, pipes);
  CvnResult result;
  drain(pipes, result);
  result.status = waitStatus(child);
  return result;
}

CvnResult runCvnWithEnv(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                        const EnvChanges& env) {
  return runProgram(cvnArgs(args), cwd, env);
}

CvnResult runCvnOnTerminal(const std::vector<std::string>& args, const std::filesystem::path& cwd) {
  ExecPlan plan(cvnArgs(args), cwd, {{"TERM", "xterm"}});
  winsize size{};
  size.ws_row = 24;
  size.ws_col = 100;
  int master = -1;
  const pid_t child = ::forkpty(&master, nullptr, nullptr, &size);
  if (child < 0) throw std::runtime_error("forkpty failed");
  if (child == 0) plan.exec();
  CvnResult result;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(master, buffer, sizeof buffer);
    if (n > 0) {
      result.out.append(buffer, static_cast<size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;  // EIO once the child's side is closed
    }
  }
  ::close(master);
  result.status = waitStatus(child);
  return result;
}

CvnResult runCvnAndSignal(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                          const EnvChanges& env, const std::filesystem::path& trigger, int signal) {
  ExecPlan plan(cvnArgs(args), cwd, env);
  Pipes pipes;
  const pid_t child = startChild(plan, pipes);
  // Bounded: a minute at most, in steps of 10 ms.
  for (int step = 0; step < 6000 && !std::filesystem::exists(trigger); ++step) {
    int status = 0;
    if (::waitpid(child, &status, WNOHANG) == child) {
      CvnResult early;
      drain(pipes, early);
      early.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return early;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ::kill(child, signal);
  CvnResult result;
  drain(pipes, result);
  result.status = waitStatus(child);
  return result;
}

}  // namespace cvn::test
