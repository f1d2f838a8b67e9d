#include "platform/process_posix.hpp"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "platform/path_posix.hpp"

namespace cvn {
namespace {

[[noreturn]] void fail(int error, const std::string& what) {
  throw std::system_error(error, std::generic_category(), what);
}

FileDescriptor aboveStandardStreams(FileDescriptor fd) {
  if (fd.get() > 2) return fd;
  FileDescriptor moved(::fcntl(fd.get(), F_DUPFD_CLOEXEC, 3));
  if (!moved.valid()) fail(errno, "cannot create a pipe");
  return moved;
}

class SpawnActions {
 public:
  SpawnActions() {
    if (const int error = posix_spawn_file_actions_init(&actions_); error != 0) {
      fail(error, "cannot prepare a child process");
    }
  }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_{};
};

class SpawnAttributes {
 public:
  explicit SpawnAttributes(bool stoppable) {
    if (const int error = posix_spawnattr_init(&attributes_); error != 0) {
      fail(error, "cannot prepare a child process");
    }
    sigset_t none;
    sigset_t defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    if (stoppable) {
      sigaddset(&defaults, SIGINT);
      sigaddset(&defaults, SIGTERM);
    }
    posix_spawnattr_setsigmask(&attributes_, &none);
    posix_spawnattr_setsigdefault(&attributes_, &defaults);
    posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  const posix_spawnattr_t* get() const { return &attributes_; }

 private:
  posix_spawnattr_t attributes_{};
};

}  // namespace

Pipe makePipe() {
  int ends[2] = {-1, -1};
  if (::pipe2(ends, O_CLOEXEC) != 0) fail(errno, "cannot create a pipe");
  Pipe pipe{FileDescriptor(ends[0]), FileDescriptor(ends[1])};
  pipe.read = aboveStandardStreams(std::move(pipe.read));
  pipe.write = aboveStandardStreams(std::move(pipe.write));
  return pipe;
}

pid_t startProcess(const std::vector<std::string>& arguments, const ChildSetup& setup) {
  if (arguments.empty()) fail(EINVAL, "cannot run a program without a name");
  const std::string what = "cannot run " + arguments[0];
  SpawnActions actions;
  const int streams[3] = {setup.input, setup.output, setup.errors};
  for (int target = 0; target < 3; ++target) {
    const int error =
        streams[target] == kNullDevice
            ? posix_spawn_file_actions_addopen(actions.get(), target, "/dev/null",
                                               target == 0 ? O_RDONLY : O_WRONLY, 0)
            : posix_spawn_file_actions_adddup2(actions.get(), streams[target], target);
    if (error != 0) fail(error, what);
  }
  const SpawnAttributes attributes(setup.stoppable);
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = -1;
  const int error =
      ::posix_spawnp(&child, argv[0], actions.get(), attributes.get(), argv.data(), environ);
  if (error != 0) fail(error, what);
  return child;
}

int waitForProcess(pid_t child) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return 128;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::optional<std::string> findOnPath(std::string_view program) {
  const auto isProgram = [](const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
  };
  if (program.empty()) return std::nullopt;
  if (program.find('/') != std::string_view::npos) {
    const std::string path(program);
    return isProgram(path) ? std::optional(path) : std::nullopt;
  }
  const char* variable = std::getenv("PATH");
  const std::string_view folders = variable != nullptr ? variable : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    const size_t end = std::min(folders.find(':', start), folders.size());
    const std::string folder(folders.substr(start, end - start));
    start = end + 1;
    if (folder.empty()) continue;
    std::string path = posix::joinPath(folder, program);
    if (isProgram(path)) return path;
  }
  return std::nullopt;
}

}  // namespace cvn
