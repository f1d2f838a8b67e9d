#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>

#include "platform/error.hpp"
#include "platform/file_system.hpp"
#include "platform/path_windows.hpp"
#include "platform/utf.hpp"
#include "platform/whole_file.hpp"

namespace cvn {
namespace {

using windows::errorNumberOf;
using windows::FileHandle;
using windows::followedAttributes;
using windows::isSeparator;
using windows::win32Path;

// ReadFile takes a 32-bit count; large files are read in pieces.
constexpr DWORD kMaxReadChunk = 1u << 30;

std::string detail(const std::u16string& path) {
  return utf16ToUtf8(path);
}

uint64_t physicalMemory() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof(status);
  if (::GlobalMemoryStatusEx(&status) == 0 || status.ullTotalPhys == 0) return UINT64_MAX / 2;
  return status.ullTotalPhys;
}

bool isFolder(const std::wstring& path) {
  const auto attributes = followedAttributes(path);
  return attributes && (*attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool isDriveRelative(std::u16string_view path) {
  return path.size() == 2 && path[1] == u':';
}

// Trailing separators dropped, except where that would change the folder
// meant: a root such as "\" or "C:\" keeps its own.
std::u16string withoutTrailingSeparators(const std::u16string& path) {
  size_t end = path.size();
  while (end > 1 && isSeparator(path[end - 1])) {
    if (end == 3 && path[1] == u':') break;
    --end;
  }
  return path.substr(0, end);
}

// A link (symbolic link, junction, mount point) rather than data kept
// elsewhere, such as a cloud file's placeholder, which is a plain file or folder.
bool isLink(const WIN32_FIND_DATAW& entry) {
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
         IsReparseTagNameSurrogate(entry.dwReserved0);
}

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) ::FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// A file's bytes, read whole. Nothing for a missing file or a missing folder
// on its way when that is allowed; any other failure throws.
std::optional<FileBytes> readBytes(const std::u16string& path, bool missingIsNothing) {
  const auto native = win32Path(path);
  if (!native) raise(kFileNotFound, detail(path));
  // Shared every way, so that a file an editor holds open can still be read.
  FileHandle file(::CreateFileW(native->c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) {
    const DWORD error = ::GetLastError();
    // A folder cannot be opened as a file: it is no file, as on POSIX.
    if (isFolder(*native)) raise(kFileNotFound, detail(path));
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    if (missing && missingIsNothing) return std::nullopt;
    raise(errorNumberOf(error), detail(path));
  }
  // Pipes and devices (CON, NUL, COM1) are no text files.
  if (::GetFileType(file.get()) != FILE_TYPE_DISK) raise(kPathFileAccessError, detail(path));
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandle(file.get(), &info) == 0) {
    raise(kPathFileAccessError, detail(path));
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) raise(kFileNotFound, detail(path));
  LARGE_INTEGER fileSize{};
  if (::GetFileSizeEx(file.get(), &fileSize) == 0) raise(kPathFileAccessError, detail(path));

  return readWholeFile(
      static_cast<uint64_t>(fileSize.QuadPart), physicalMemory(), path,
      [&](char* into, size_t most) {
        DWORD n = 0;
        if (::ReadFile(file.get(), into, static_cast<DWORD>(std::min<size_t>(most, kMaxReadChunk)),
                       &n, nullptr) == 0) {
          // A region another process locked, and any other failure.
          const int32_t number = errorNumberOf(::GetLastError());
          raise(number == kPermissionDenied ? number : kPathFileAccessError, detail(path));
        }
        return static_cast<size_t>(n);
      });
}

class WindowsFileSystem final : public FileSystem {
 public:
  TextLines readTextFile(const std::u16string& path) override {
    return TextLines(std::move(*readBytes(path, false)));
  }

  FolderListing listFolder(const std::u16string& path) override {
    const auto folder = win32Path(path);
    if (!folder) raise(kPathNotFound, detail(path));
    FolderListing listing;
    listing.path = withoutTrailingSeparators(path);
    // "C:" is the current folder of drive C: its names follow without a separator.
    const std::u16string prefix = isDriveRelative(listing.path) || isSeparator(listing.path.back())
                                      ? listing.path
                                      : listing.path + u'\\';
    const auto pattern = win32Path(prefix + u'*');

    WIN32_FIND_DATAW entry{};
    FindHandle find(::FindFirstFileExW(pattern->c_str(), FindExInfoBasic, &entry,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (find.get() == INVALID_HANDLE_VALUE) {
      const DWORD error = ::GetLastError();
      // A drive's root has no "." entry: an empty one finds nothing at all.
      if (error == ERROR_FILE_NOT_FOUND && isFolder(*folder)) return listing;
      raise(listError(error, *folder), detail(path));
    }
    std::vector<std::u16string> fileNames;
    std::vector<std::u16string> folderNames;
    do {
      const std::u16string name(reinterpret_cast<const char16_t*>(entry.cFileName));
      if (name == u"." || name == u"..") continue;
      switch (classify(entry, prefix + name)) {
        case Kind::File:
          fileNames.push_back(name);
          break;
        case Kind::Folder:
          folderNames.push_back(name);
          break;
        case Kind::Other:
          break;
      }
    } while (::FindNextFileW(find.get(), &entry) != 0);
    const DWORD error = ::GetLastError();
    if (error != ERROR_NO_MORE_FILES) raise(listError(error, *folder), detail(path));

    // By UTF-16 code units, the order std::u16string compares in.
    std::sort(fileNames.begin(), fileNames.end());
    std::sort(folderNames.begin(), folderNames.end());
    for (const auto& name : fileNames) listing.files.push_back(prefix + name);
    for (const auto& name : folderNames) listing.subFolders.push_back(prefix + name);
    return listing;
  }

  bool fileExists(const std::u16string& path) override {
    const auto native = win32Path(path);
    if (!native) return false;
    const auto attributes = followedAttributes(*native);
    return attributes && (*attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  bool folderExists(const std::u16string& path) override {
    const auto native = win32Path(path);
    return native && isFolder(*native);
  }

 private:
  enum class Kind { File, Folder, Other };

  // A folder that is missing or a file is a path not found, whatever code
  // the system chose for "file\*".
  static int32_t listError(DWORD error, const std::wstring& folder) {
    const int32_t number = errorNumberOf(error);
    if (number == kPermissionDenied) return number;
    if (number == kFileNotFound || !isFolder(folder)) return kPathNotFound;
    return number;
  }

  // Files, and links to files, are files; real folders are folders. Links to
  // folders are not followed, so a link cycle cannot recurse; broken links
  // are left out.
  static Kind classify(const WIN32_FIND_DATAW& entry, const std::u16string& fullPath) {
    const bool folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!isLink(entry)) return folder ? Kind::Folder : Kind::File;
    if (folder) return Kind::Other;
    const auto nativePath = win32Path(fullPath);
    const auto target = nativePath ? followedAttributes(*nativePath) : std::nullopt;
    return target && (*target & FILE_ATTRIBUTE_DIRECTORY) == 0 ? Kind::File : Kind::Other;
  }
};

}  // namespace

std::optional<FileBytes> readFileIfPresent(const std::u16string& path) {
  return readBytes(path, true);
}

FileSystem& osFileSystem() {
  static WindowsFileSystem instance;
  return instance;
}

}  // namespace cvn
