#include "app/pipeline.hpp"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <system_error>

#include "app/failure.hpp"
#include "app/interrupt.hpp"
#include "platform/file_descriptor_posix.hpp"
#include "platform/process_posix.hpp"

namespace cvn::cli {
namespace {

// Enough of a program's complaints to explain a failure.
constexpr size_t kErrorLimit = 65536;

void stopAll(const std::vector<pid_t>& children) {
  for (const pid_t child : children) ::kill(child, SIGTERM);
  for (const pid_t child : children) waitForProcess(child);
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
  try {
    for (size_t k = 0; k < stages.size(); ++k) {
      const bool last = k + 1 == stages.size();
      Pipe errorPipe = makePipe();
      Pipe link;
      if (!last) link = makePipe();
      children.push_back(
          startProcess(stages[k], {.input = k == 0 ? kNullDevice : previousOutput.get(),
                                   .output = last ? errorPipe.write.get() : link.write.get(),
                                   .errors = errorPipe.write.get(),
                                   .stoppable = true}));
      errorReads.push_back(std::move(errorPipe.read));
      previousOutput = std::move(link.read);
    }
  } catch (const std::system_error& error) {
    stopAll(children);
    throw CommandError(error.what());
  } catch (...) {
    stopAll(children);
    throw;
  }
  previousOutput.reset();

  if (!drain(errorReads, outcomes)) {
    stopAll(children);
    throwIfInterrupted();
  }
  for (size_t k = 0; k < children.size(); ++k) outcomes[k].status = waitForProcess(children[k]);
  throwIfInterrupted();
  return outcomes;
}

}  // namespace cvn::cli
