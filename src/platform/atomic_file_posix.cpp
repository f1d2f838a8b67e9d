#include "platform/atomic_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "platform/error.hpp"
#include "platform/file_descriptor_posix.hpp"
#include "platform/path_posix.hpp"
#include "platform/utf.hpp"

namespace cvn {
namespace {

using posix::folderOf;
using posix::isDirectory;
using posix::nativePath;

// Symbolic links followed before giving up, as the kernel does.
constexpr int kMaxLinkHops = 40;
// Room left in a 255-byte name for the temporary name's prefix and suffix.
constexpr size_t kMaxTempBaseName = 200;

std::string detail(const std::u16string& path) {
  return utf16ToUtf8(path);
}

int32_t errorOf(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return kPermissionDenied;
    default:
      return kPathFileAccessError;
  }
}

std::string baseNameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::optional<std::string> readLink(const std::string& path) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0) return std::nullopt;
    if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

// The file a path finally names. Renaming over a link would replace the link
// itself; the user meant the file behind it.
std::string resolveLinks(std::string path, const std::u16string& original) {
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    const auto target = readLink(path);
    if (!target || target->empty()) raise(kPathFileAccessError, detail(original));
    path = (*target)[0] == '/' ? *target : folderOf(path) + "/" + *target;
  }
  raise(kPathFileAccessError, detail(original));  // a loop of links
}

uint64_t uniqueNumber() {
  static std::atomic<uint64_t> counter{0};
  thread_local std::mt19937_64 random{std::random_device{}()};
  return random() ^ (counter.fetch_add(1) << 48);
}

// The temporary file: removed again unless it was renamed into place.
class TempFile {
 public:
  TempFile(const std::string& folder, const std::string& baseName, const std::u16string& original) {
    const std::string prefix =
        (folder == "/" ? "/" : folder + "/") + "." + baseName.substr(0, kMaxTempBaseName) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string candidate = prefix + std::to_string(uniqueNumber() % 1000000000000) + ".tmp";
      // 0666 lets the umask decide, as for any new file.
      fd_ = FileDescriptor(
          ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
      if (fd_.valid()) {
        path_ = std::move(candidate);
        return;
      }
      if (errno != EEXIST) raise(errorOf(errno), detail(original));
    }
    raise(kPathFileAccessError, detail(original));
  }

  ~TempFile() {
    fd_.reset();
    if (!committed_) ::unlink(path_.c_str());
  }

  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  int fd() const { return fd_.get(); }
  const std::string& path() const { return path_; }

  bool close() { return fd_.close(); }

  void commit() { committed_ = true; }

 private:
  std::string path_;
  FileDescriptor fd_;
  bool committed_ = false;
};

void writeAll(int fd, std::string_view bytes, const std::u16string& original) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      raise(kPathFileAccessError, detail(original));
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

// An existing target must be a file this process may write; replacing it by
// rename would otherwise bypass its own permissions.
void checkExistingTarget(const std::string& target, const struct stat& st,
                         const std::u16string& original) {
  if (!S_ISREG(st.st_mode)) raise(kPathFileAccessError, detail(original));
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    raise(kPermissionDenied, detail(original));
  }
  // Opening without O_TRUNC changes nothing; it asks the system's own verdict
  // (owner, ACLs, immutable flag, read-only mount).
  const FileDescriptor fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.valid()) {
    const int32_t number = errorOf(errno);
    raise(number == kPermissionDenied ? number : kPathFileAccessError, detail(original));
  }
}

void syncFolder(const std::string& folder) {
  const FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.valid()) ::fsync(fd.get());  // durability of the rename only; the content is already safe
}

}  // namespace

void writeFileAtomically(const std::u16string& path, std::string_view bytes) {
  const auto native = nativePath(path);
  if (!native) raise(kPathFileAccessError, detail(path));
  if (native->back() == '/') {
    // A name ending in "/" names a folder, never a file.
    raise(isDirectory(*native) ? kPathFileAccessError : kPathNotFound, detail(path));
  }
  const std::string target = resolveLinks(*native, path);
  const std::string folder = folderOf(target);

  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  if (exists) {
    checkExistingTarget(target, existing, path);
  } else if (errno != ENOENT) {
    raise(errorOf(errno), detail(path));
  }

  TempFile temp(folder, baseNameOf(target), path);
  writeAll(temp.fd(), bytes, path);
  if (exists) {
    // Keep the owner when allowed (a privileged user replacing someone's file),
    // then the permission bits; both are best effort.
    if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) {
      [[maybe_unused]] const int ignored = ::fchown(temp.fd(), existing.st_uid, existing.st_gid);
    }
    ::fchmod(temp.fd(), existing.st_mode & 0777);
  }
  if (::fsync(temp.fd()) != 0 || !temp.close()) raise(kPathFileAccessError, detail(path));
  if (::rename(temp.path().c_str(), target.c_str()) != 0) {
    const int error = errno;
    raise(error == EISDIR ? kPathFileAccessError : errorOf(error), detail(path));
  }
  temp.commit();
  syncFolder(folder);
}

}  // namespace cvn
