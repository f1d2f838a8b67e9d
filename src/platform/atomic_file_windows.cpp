#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <random>

#include "platform/atomic_file.hpp"
#include "platform/error.hpp"
#include "platform/path_windows.hpp"
#include "platform/utf.hpp"

namespace cvn {
namespace {

using windows::errorNumberOf;
using windows::FileHandle;
using windows::isSeparator;
using windows::win32Path;

// WriteFile takes a 32-bit count; large contents are written in pieces.
constexpr size_t kMaxWriteChunk = size_t{1} << 30;
// Room left in a 255-character name for the temporary name's prefix and suffix.
constexpr size_t kMaxTempBaseName = 200;
// Attributes a replaced file keeps; the others describe storage, not the file.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

std::string detail(const std::u16string& path) {
  return utf16ToUtf8(path);
}

// Where the folder part of a path ends: after its last separator, or after
// the drive of "C:name"; 0 when the name stands alone.
size_t folderEnd(const std::wstring& path) {
  const size_t separator = path.find_last_of(L"\\/");
  if (separator != std::wstring::npos) return separator + 1;
  return path.size() >= 2 && path[1] == L':' ? 2 : 0;
}

uint64_t uniqueNumber() {
  static std::atomic<uint64_t> counter{0};
  thread_local std::mt19937_64 random{std::random_device{}()};
  return random() ^ (counter.fetch_add(1) << 48);
}

// The file a link finally names. Renaming over a link would replace the link
// itself; the user meant the file behind it.
std::wstring resolveLink(const std::wstring& path, const std::u16string& original) {
  FileHandle file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.valid()) raise(errorNumberOf(::GetLastError()), detail(original));
  std::wstring target(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n =
        ::GetFinalPathNameByHandleW(file.get(), target.data(), static_cast<DWORD>(target.size()),
                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) raise(kPathFileAccessError, detail(original));
    if (n < target.size()) {
      target.resize(n);
      return target;
    }
    target.resize(n);
  }
}

// The temporary file: removed again unless it was renamed into place.
class TempFile {
 public:
  TempFile(const std::wstring& target, const std::u16string& original) {
    const size_t end = folderEnd(target);
    const std::wstring prefix =
        target.substr(0, end) + L"." + target.substr(end, kMaxTempBaseName) + L".";
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::wstring candidate = prefix + std::to_wstring(uniqueNumber() % 1000000000000) + L".tmp";
      // Nobody else may open it while it is written.
      const HANDLE handle = ::CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle != INVALID_HANDLE_VALUE) {
        handle_ = handle;
        path_ = std::move(candidate);
        return;
      }
      const DWORD error = ::GetLastError();
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
        // A missing folder: CREATE_NEW reports the file, the folder is what is missing.
        const int32_t number = errorNumberOf(error);
        raise(number == kFileNotFound ? kPathNotFound : number, detail(original));
      }
    }
    raise(kPathFileAccessError, detail(original));
  }

  ~TempFile() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    if (!committed_) ::DeleteFileW(path_.c_str());
  }

  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  HANDLE handle() const { return handle_; }
  const std::wstring& path() const { return path_; }

  // Closes the file, reporting what closing reports.
  bool close() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return ::CloseHandle(handle) != 0;
  }

  void commit() { committed_ = true; }

 private:
  std::wstring path_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool committed_ = false;
};

void writeAll(HANDLE file, std::string_view bytes, const std::u16string& original) {
  while (!bytes.empty()) {
    const auto want = static_cast<DWORD>(std::min(bytes.size(), kMaxWriteChunk));
    DWORD n = 0;
    if (::WriteFile(file, bytes.data(), want, &n, nullptr) == 0 || n == 0) {
      raise(kPathFileAccessError, detail(original));
    }
    bytes.remove_prefix(n);
  }
}

// An existing target must be a file this process may write; replacing it by
// renaming would otherwise bypass its read-only attribute and its ACL.
void checkExistingTarget(const std::wstring& target, DWORD attributes,
                         const std::u16string& original) {
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) raise(kPathFileAccessError, detail(original));
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) raise(kPermissionDenied, detail(original));
  // Opening without truncating changes nothing; it asks the system's own
  // verdict (ACL, a process holding it without sharing).
  FileHandle file(::CreateFileW(target.c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    const int32_t number = errorNumberOf(::GetLastError());
    raise(number == kPermissionDenied ? number : kPathFileAccessError, detail(original));
  }
}

// The existing target's attributes that the new content keeps.
void keepAttributes(HANDLE temp, DWORD attributes) {
  FILE_BASIC_INFO info{};
  if (::GetFileInformationByHandleEx(temp, FileBasicInfo, &info, sizeof(info)) == 0) return;
  const DWORD kept = attributes & kKeptAttributes;
  info.FileAttributes = kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
  // Best effort: the content matters, the attributes are a courtesy.
  ::SetFileInformationByHandle(temp, FileBasicInfo, &info, sizeof(info));
}

}  // namespace

void writeFileAtomically(const std::u16string& path, std::string_view bytes) {
  const auto native = win32Path(path);
  if (!native) raise(kPathFileAccessError, detail(path));
  if (isSeparator(native->back())) {
    // A name ending in a separator names a folder, never a file.
    const DWORD attributes = ::GetFileAttributesW(native->c_str());
    const bool folder =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    raise(folder ? kPathFileAccessError : kPathNotFound, detail(path));
  }
  std::wstring target = *native;
  DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    target = resolveLink(target, path);
    attributes = ::GetFileAttributesW(target.c_str());
  }
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists) {
    checkExistingTarget(target, attributes, path);
  } else {
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) raise(errorNumberOf(error), detail(path));
  }

  TempFile temp(target, path);
  writeAll(temp.handle(), bytes, path);
  if (exists) keepAttributes(temp.handle(), attributes);
  if (::FlushFileBuffers(temp.handle()) == 0 || !temp.close()) {
    raise(kPathFileAccessError, detail(path));
  }
  if (::MoveFileExW(temp.path().c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
    const DWORD error = ::GetLastError();
    // A folder put there meanwhile also refuses with "access denied".
    const DWORD now = ::GetFileAttributesW(target.c_str());
    const bool folder = now != INVALID_FILE_ATTRIBUTES && (now & FILE_ATTRIBUTE_DIRECTORY) != 0;
    raise(folder ? kPathFileAccessError : errorNumberOf(error), detail(path));
  }
  temp.commit();
}

}  // namespace cvn
