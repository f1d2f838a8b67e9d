#include "app/pipeline.hpp"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "app/failure.hpp"
#include "app/interrupt.hpp"
#include "platform/file_descriptor_posix.hpp"

namespace cvn::cli {
namespace {

// Enough of a program's complaints to explain a failure.
constexpr size_t kErrorLimit = 65536;

struct PipeEnds {
  FileDescriptor read;
  FileDescriptor write;
};

PipeEnds makePipe() {
  int fds[2] = {-1, -1};
  // Close-on-exec: each child keeps only the ends dup2 gives it.
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    throw CommandError(std::string("cannot create a pipe: ") + std::strerror(errno));
  }
  return {FileDescriptor(fds[0]), FileDescriptor(fds[1])};
}

class SpawnActions {
 public:
  SpawnActions() { posix_spawn_file_actions_init(&actions_); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_{};
};

class SpawnAttributes {
 public:
  SpawnAttributes() {
    posix_spawnattr_init(&attributes_);
    // A program whose reader has gone ends quietly, whatever this process does with SIGPIPE.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes_, &defaults);
    posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGDEF);
  }
  ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  const posix_spawnattr_t* get() const { return &attributes_; }

 private:
  posix_spawnattr_t attributes_{};
};

int waitFor(pid_t child) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return 128;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void stopAll(const std::vector<pid_t>& children) {
  for (const pid_t child : children) ::kill(child, SIGTERM);
  for (const pid_t child : children) waitFor(child);
}

// Reads every error pipe to its end; false when a signal asked the command to stop.
bool drain(std::vector<FileDescriptor>& errors, std::vector<StageOutcome>& outcomes) {
  std::vector<pollfd> polled;
  for (const FileDescriptor& fd : errors) polled.push_back({fd.get(), POLLIN, 0});
  size_t open = polled.size();
  char buffer[4096];
  while (open > 0) {
    if (pendingInterrupt() != 0) return false;
    if (::poll(polled.data(), polled.size(), -1) < 0) {
      if (errno == EINTR) continue;
      return true;
    }
    for (size_t k = 0; k < polled.size(); ++k) {
      if (polled[k].fd < 0 || polled[k].revents == 0) continue;
      const ssize_t n = ::read(polled[k].fd, buffer, sizeof buffer);
      if (n > 0) {
        std::string& text = outcomes[k].errors;
        text.append(buffer, std::min(static_cast<size_t>(n),
                                     kErrorLimit - std::min(kErrorLimit, text.size())));
      } else if (n == 0 || errno != EINTR) {
        polled[k].fd = -1;
        --open;
      }
    }
  }
  return pendingInterrupt() == 0;
}

}  // namespace

std::vector<StageOutcome> runPipeline(const std::vector<std::vector<std::string>>& stages) {
  std::vector<StageOutcome> outcomes(stages.size());
  std::vector<FileDescriptor> errorReads;
  std::vector<pid_t> children;
  FileDescriptor previousOutput;  // the read end the next program takes as its input
  const SpawnAttributes attributes;
  try {
    for (size_t k = 0; k < stages.size(); ++k) {
      const bool last = k + 1 == stages.size();
      PipeEnds errorPipe = makePipe();
      PipeEnds link;
      if (!last) link = makePipe();

      SpawnActions actions;
      if (k == 0) {
        posix_spawn_file_actions_addopen(actions.get(), 0, "/dev/null", O_RDONLY, 0);
      } else {
        posix_spawn_file_actions_adddup2(actions.get(), previousOutput.get(), 0);
      }
      posix_spawn_file_actions_adddup2(actions.get(),
                                       last ? errorPipe.write.get() : link.write.get(), 1);
      posix_spawn_file_actions_adddup2(actions.get(), errorPipe.write.get(), 2);

      std::vector<char*> argv;
      for (const std::string& arg : stages[k]) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      pid_t child = 0;
      const int failure =
          posix_spawnp(&child, argv[0], actions.get(), attributes.get(), argv.data(), environ);
      if (failure != 0) {
        throw CommandError("cannot run " + stages[k][0] + ": " + std::strerror(failure));
      }
      children.push_back(child);
      errorReads.push_back(std::move(errorPipe.read));
      previousOutput = std::move(link.read);
    }
  } catch (...) {
    stopAll(children);
    throw;
  }
  previousOutput.reset();

  if (!drain(errorReads, outcomes)) {
    stopAll(children);
    throwIfInterrupted();
  }
  for (size_t k = 0; k < children.size(); ++k) outcomes[k].status = waitFor(children[k]);
  throwIfInterrupted();
  return outcomes;
}

}  // namespace cvn::cli
