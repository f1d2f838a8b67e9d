#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <optional>

#include "platform/error.hpp"
#include "platform/file_descriptor_posix.hpp"
#include "platform/file_system.hpp"
#include "platform/path_posix.hpp"
#include "platform/utf.hpp"
#include "platform/whole_file.hpp"

namespace cvn {
namespace {

using posix::folderOf;
using posix::isDirectory;
using posix::nativePath;

class Directory {
 public:
  explicit Directory(DIR* dir) : dir_(dir) {}
  ~Directory() {
    if (dir_ != nullptr) ::closedir(dir_);
  }
  Directory(const Directory&) = delete;
  Directory& operator=(const Directory&) = delete;
  DIR* get() const { return dir_; }

 private:
  DIR* dir_;
};

// A missing file in an existing folder is "file not found"; a missing or
// non-folder component on the way is "path not found".
int32_t missingFileError(const std::string& path) {
  return isDirectory(folderOf(path)) ? kFileNotFound : kPathNotFound;
}

int32_t openError(int error) {
  switch (error) {
    case ENOTDIR:
      return kPathNotFound;
    case EACCES:
    case EPERM:
      return kPermissionDenied;
    default:
      return kPathFileAccessError;
  }
}

// A failed read of a file or folder that is open: as for opening, only a
// refused permission is 70; anything else (an I/O error) is 75.
int32_t readError(int error) {
  return error == EACCES || error == EPERM ? kPermissionDenied : kPathFileAccessError;
}

std::string detail(const std::u16string& path) {
  return utf16ToUtf8(path);
}

// Asked once: the answer costs a system call, and every file read needs it.
uint64_t physicalMemory() {
  static const uint64_t memory = [] {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0) return UINT64_MAX / 2;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
  }();
  return memory;
}

std::u16string withoutTrailingSeparators(const std::u16string& path) {
  size_t end = path.size();
  while (end > 1 && path[end - 1] == u'/') --end;
  return path.substr(0, end);
}

class PosixFileSystem final : public FileSystem {
 public:
  TextLines readTextFile(const std::u16string& path) override {
    auto bytes = readFileIfPresent(path);
    if (!bytes) raise(missingFileError(*nativePath(path)), detail(path));
    return TextLines(std::move(*bytes));
  }

  std::string readFirstLine(const std::u16string& path) override {
    const auto native = nativePath(path);
    if (!native) raise(kFileNotFound, detail(path));
    FileDescriptor fd(::open(native->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid()) {
      const int error = errno;
      raise(error == ENOENT ? missingFileError(*native) : openError(error), detail(path));
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
      raise(S_ISDIR(st.st_mode) ? kFileNotFound : kPathFileAccessError, detail(path));
    }
    // Longer than any "#!" line the kernel runs.
    std::string line(512, '\0');
    size_t done = 0;
    while (done < line.size() && line.find('\n') >= done) {
      const ssize_t n = ::read(fd.get(), line.data() + done, line.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) raise(readError(errno), detail(path));
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    line.resize(std::min(done, line.find('\n')));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }

  FolderListing listFolder(const std::u16string& path) override {
    const auto native = nativePath(path);
    if (!native) raise(kPathNotFound, detail(path));
    Directory dir(::opendir(native->c_str()));
    if (dir.get() == nullptr) {
      const int error = errno;
      raise(error == EACCES || error == EPERM     ? kPermissionDenied
            : error == ENOENT || error == ENOTDIR ? kPathNotFound
                                                  : kPathFileAccessError,
            detail(path));
    }
    std::vector<std::string> fileNames;
    std::vector<std::string> folderNames;
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(dir.get());
      if (entry == nullptr) {
        if (errno != 0) raise(readError(errno), detail(path));
        break;
      }
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      switch (classify(dirfd(dir.get()), name, entry->d_type)) {
        case Kind::File:
          fileNames.push_back(name);
          break;
        case Kind::Folder:
          folderNames.push_back(name);
          break;
        case Kind::Other:
          break;
      }
    }
    std::sort(fileNames.begin(), fileNames.end());
    std::sort(folderNames.begin(), folderNames.end());

    FolderListing listing;
    listing.path = withoutTrailingSeparators(path);
    const std::u16string prefix = listing.path == u"/" ? listing.path : listing.path + u"/";
    for (const auto& name : fileNames) listing.files.push_back(prefix + utf8ToUtf16(name));
    for (const auto& name : folderNames) listing.subFolders.push_back(prefix + utf8ToUtf16(name));
    return listing;
  }

  bool fileExists(const std::u16string& path) override {
    const auto native = nativePath(path);
    struct stat st {};
    return native && ::stat(native->c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }

  bool folderExists(const std::u16string& path) override {
    const auto native = nativePath(path);
    return native && isDirectory(*native);
  }

 private:
  enum class Kind { File, Folder, Other };

  // Regular files and links to them are files; real folders are folders. Links
  // to folders are not followed, so a link cycle cannot recurse; broken links,
  // FIFOs and devices are left out.
  static Kind classify(int dirFd, const std::string& name, unsigned char type) {
    if (type == DT_REG) return Kind::File;
    if (type == DT_DIR) return Kind::Folder;
    if (type != DT_LNK && type != DT_UNKNOWN) return Kind::Other;
    struct stat st {};
    if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return Kind::Other;
    if (S_ISREG(st.st_mode)) return Kind::File;
    if (S_ISDIR(st.st_mode)) return Kind::Folder;
    if (!S_ISLNK(st.st_mode)) return Kind::Other;
    if (::fstatat(dirFd, name.c_str(), &st, 0) != 0) return Kind::Other;
    return S_ISREG(st.st_mode) ? Kind::File : Kind::Other;
  }
};

}  // namespace

std::optional<FileBytes> readFileIfPresent(const std::u16string& path) {
  const auto native = nativePath(path);
  if (!native) raise(kFileNotFound, detail(path));
  // Non-blocking, so that opening a FIFO can never hang.
  FileDescriptor fd(::open(native->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) {
    if (errno == ENOENT) return std::nullopt;
    raise(openError(errno), detail(path));
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) raise(kPathFileAccessError, detail(path));
  if (S_ISDIR(st.st_mode)) raise(kFileNotFound, detail(path));
  if (!S_ISREG(st.st_mode)) raise(kPathFileAccessError, detail(path));

  // A read that gives fewer bytes than asked and ends at the size the file has is at the end:
  // no further read is needed to see that.
  const auto size = static_cast<uint64_t>(st.st_size);
  uint64_t total = 0;
  bool atEnd = false;
  return readWholeFile(size, physicalMemory(), path, [&](char* into, size_t most) -> size_t {
    if (atEnd) return 0;
    for (;;) {
      const ssize_t n = ::read(fd.get(), into, most);
      if (n >= 0) {
        total += static_cast<uint64_t>(n);
        atEnd = static_cast<size_t>(n) < most && total == size;
        return static_cast<size_t>(n);
      }
      if (errno != EINTR) raise(readError(errno), detail(path));
    }
  });
}

FileSystem& osFileSystem() {
  static PosixFileSystem instance;
  return instance;
}

}  // namespace cvn
