#pragma once

// Paths and errors as the Win32 file APIs take and give them; Windows only.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/error.hpp"

namespace cvn::windows {

// Beyond this length a path needs the "\\?\" form: MAX_PATH less the room
// CreateDirectoryW keeps for an 8.3 name.
inline constexpr size_t kLongPathLength = MAX_PATH - 12;

inline bool isSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// The path as Win32 takes it, or nothing when no file can have that name
// (empty, or holding a NUL). A long path is made absolute and given the
// "\\?\" prefix, so that it works without the system's long-path opt-in;
// GetFullPathNameW first does what the prefix would skip: "/" to "\" and
// the "." and ".." components resolved.
inline std::optional<std::wstring> win32Path(std::u16string_view path) {
  if (path.empty() || path.find(u'\0') != std::u16string_view::npos) return std::nullopt;
  // char16_t and wchar_t are both UTF-16 code units here.
  std::wstring wide(reinterpret_cast<const wchar_t*>(path.data()), path.size());
  if (wide.size() < kLongPathLength || wide.starts_with(L"\\\\?\\") ||
      wide.starts_with(L"\\\\.\\")) {
    return wide;
  }
  std::wstring full(wide.size() + MAX_PATH, L'\0');
  for (;;) {
    const DWORD n =
        ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0) return wide;  // the call that uses it reports the error
    if (n < full.size()) {
      full.resize(n);
      break;
    }
    full.resize(n);
  }
  if (full.starts_with(L"\\\\?\\") || full.starts_with(L"\\\\.\\")) return full;
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return L"\\\\?\\" + full;
  return full;
}

// A Win32 error as the error number that names it: the three that have one
// of their own, and 75 for everything else (a file another program holds
// without sharing, a malformed name, a device), as hosts of this build expect.
inline int32_t errorNumberOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      return kFileNotFound;
    case ERROR_PATH_NOT_FOUND:
      return kPathNotFound;
    case ERROR_ACCESS_DENIED:
      return kPermissionDenied;
    default:
      return kPathFileAccessError;
  }
}

// The attributes of what a path finally names: a symbolic link or junction is
// followed to its target. Nothing when that cannot be asked about.
inline std::optional<DWORD> followedAttributes(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return attributes;
  // Opening follows the link; no access right is needed to read attributes.
  const HANDLE handle = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = ::GetFileInformationByHandle(handle, &info) != 0;
  ::CloseHandle(handle);
  if (!known) return std::nullopt;
  return info.dwFileAttributes;
}

// Closes a file handle when it goes out of scope.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() { close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Closes now, reporting whether the system could.
  bool close() {
    if (!valid()) return true;
    const bool closed = ::CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

}  // namespace cvn::windows
