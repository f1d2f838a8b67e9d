#include "compare/git_process.hpp"

#include <fmt/format.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <system_error>

#include "app/failure.hpp"
#include "app/interrupt.hpp"
#include "platform/error.hpp"
#include "platform/process_posix.hpp"
#include "platform/utf.hpp"
#include "platform/whole_file.hpp"

namespace cvn::cli {
namespace {

// Enough of git's complaints to explain a failure.
constexpr size_t kErrorLimit = 65536;

std::vector<std::string> gitCommand(const std::string& repository,
                                    const std::vector<std::string>& arguments) {
  std::vector<std::string> command = {"git", "-C", repository};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return command;
}

pid_t startGit(const std::vector<std::string>& command, const ChildSetup& setup) {
  try {
    return startProcess(command, setup);
  } catch (const std::system_error& error) {
    throw CommandError(error.what());
  }
}

void stop(pid_t child) {
  ::kill(child, SIGTERM);
  waitForProcess(child);
}

// The last line of a program's complaint that says something.
std::string lastLine(const std::string& text) {
  std::string last;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty()) last = std::move(line);
    start = end + 1;
  }
  return last;
}

// Writes all of text to a pipe whose reader may have gone: that is EPIPE here, not a
// SIGPIPE that ends this process.
bool writeAll(int fd, std::string_view text) {
  sigset_t pipeSignal;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  sigset_t before;
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &before);
  bool ok = true;
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    text.remove_prefix(static_cast<size_t>(n));
  }
  if (!ok && errno == EPIPE) {
    const timespec now{};
    while (sigtimedwait(&pipeSignal, nullptr, &now) == SIGPIPE) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return ok;
}

uint64_t physicalMemory() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return UINT64_MAX;
  return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}

}  // namespace

GitResult runGit(const std::string& repository, const std::vector<std::string>& arguments) {
  Pipe output = makePipe();
  Pipe errors = makePipe();
  const pid_t child =
      startGit(gitCommand(repository, arguments),
               {.output = output.write.get(), .errors = errors.write.get(), .stoppable = true});
  // Our copies of the write ends go, or reading would never see the end.
  output.write.reset();
  errors.write.reset();

  std::string texts[2];
  pollfd polled[2] = {{output.read.get(), POLLIN, 0}, {errors.read.get(), POLLIN, 0}};
  int open = 2;
  char buffer[65536];
  while (open > 0) {
    if (pendingInterrupt() != 0) break;
    if (::poll(polled, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int k = 0; k < 2; ++k) {
      if (polled[k].fd < 0 || polled[k].revents == 0) continue;
      const ssize_t n = ::read(polled[k].fd, buffer, sizeof buffer);
      if (n > 0) {
        if (k == 0 || texts[1].size() < kErrorLimit)
          texts[k].append(buffer, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        polled[k].fd = -1;
        --open;
      }
    }
  }
  if (open > 0) {
    const int error = errno;
    stop(child);
    throwIfInterrupted();
    throw CommandError(fmt::format("cannot read what git printed: {}", std::strerror(error)));
  }
  const int status = waitForProcess(child);
  throwIfInterrupted();
  return {status, std::move(texts[0]), lastLine(texts[1])};
}

std::string gitOutput(const std::string& repository, const std::vector<std::string>& arguments,
                      const std::string& what, std::string_view option) {
  GitResult result = runGit(repository, arguments);
  if (result.status != 0) {
    throw CommandError(fmt::format("{}: {}: {}", option, what,
                                   result.complaint.empty()
                                       ? fmt::format("git ended with status {}", result.status)
                                       : result.complaint));
  }
  return std::move(result.output);
}

BlobReader::BlobReader(const std::string& repository) : buffer_(size_t{1} << 16) {
  Pipe requests = makePipe();
  Pipe answers = makePipe();
  child_ =
      startGit(gitCommand(repository, {"cat-file", "--batch"}),
               {.input = requests.read.get(), .output = answers.write.get(), .stoppable = true});
  toGit_ = std::move(requests.write);
  fromGit_ = std::move(answers.read);
}

BlobReader::~BlobReader() {
  // At the end of its input git ends by itself; the signal is for one that hangs.
  toGit_.reset();
  fromGit_.reset();
  stop(child_);
}

size_t BlobReader::readSome(char* into, size_t most) {
  if (begin_ == end_) {
    for (;;) {
      const ssize_t n = ::read(fromGit_.get(), buffer_.data(), buffer_.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return 0;
      begin_ = 0;
      end_ = static_cast<size_t>(n);
      break;
    }
  }
  const size_t n = std::min(most, end_ - begin_);
  std::memcpy(into, buffer_.data() + begin_, n);
  begin_ += n;
  return n;
}

std::string BlobReader::readLine(const std::u16string& path) {
  std::string line;
  char c = 0;
  while (readSome(&c, 1) == 1) {
    if (c == '\n') return line;
    line += c;
  }
  raise(kPathFileAccessError, utf16ToUtf8(path) + ": git cat-file ended early");
}

void BlobReader::skip(size_t count, const std::u16string& path) {
  char sink[4096];
  while (count > 0) {
    const size_t n = readSome(sink, std::min(count, sizeof sink));
    if (n == 0) raise(kPathFileAccessError, utf16ToUtf8(path) + ": git cat-file ended early");
    count -= n;
  }
}

FileBytes BlobReader::read(const std::string& id, const std::u16string& path) {
  if (!writeAll(toGit_.get(), id + "\n")) {
    raise(kPathFileAccessError, utf16ToUtf8(path) + ": git cat-file ended early");
  }
  // "<id> blob <size>", or "<id> missing".
  const std::string header = readLine(path);
  const size_t space = header.rfind(' ');
  uint64_t size = 0;
  const char* last = header.data() + header.size();
  if (space == std::string::npos || !header.starts_with(id + " blob ") ||
      std::from_chars(header.data() + space + 1, last, size).ptr != last) {
    raise(kFileNotFound, utf16ToUtf8(path));
  }
  uint64_t left = size;
  FileBytes bytes = readWholeFile(size, physicalMemory(), path, [&](char* into, size_t most) {
    if (left == 0) return size_t{0};
    const size_t n = readSome(into, static_cast<size_t>(std::min<uint64_t>(most, left)));
    if (n == 0 && left > 0) {
      raise(kPathFileAccessError, utf16ToUtf8(path) + ": git cat-file ended early");
    }
    left -= n;
    return n;
  });
  skip(1, path);  // the newline after the contents
  return bytes;
}

}  // namespace cvn::cli
