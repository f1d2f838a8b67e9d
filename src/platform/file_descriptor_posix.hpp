#pragma once

// A POSIX file descriptor that closes itself; POSIX only.
#include <unistd.h>

#include <utility>

namespace cvn {

// Owns a descriptor (none when -1) and closes it when it goes.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
  ~FileDescriptor() { reset(); }
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = other.release();
    }
    return *this;
  }

  int get() const noexcept { return fd_; }
  bool valid() const noexcept { return fd_ >= 0; }
  // Gives the descriptor up without closing it.
  int release() noexcept { return std::exchange(fd_, -1); }
  void reset() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  // Closes now, reporting what close reports (a late write error on some file systems).
  bool close() noexcept { return !valid() || ::close(release()) == 0; }

 private:
  int fd_ = -1;
};

}  // namespace cvn
