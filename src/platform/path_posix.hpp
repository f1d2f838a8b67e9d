#pragma once

// Paths as the POSIX file APIs take them; POSIX only.
#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/utf.hpp"

namespace cvn::posix {

// The path as the system takes it (U+DC80-U+DCFF back to their bytes), or
// nothing when no file can have that name: empty, with a lone surrogate that
// stands for no byte, or holding a NUL.
inline std::optional<std::string> nativePath(std::u16string_view path) {
  if (path.empty()) return std::nullopt;
  auto native = utf16ToUtf8Exact(path);
  if (native && native->find('\0') != std::string::npos) return std::nullopt;
  return native;
}

// A folder, or a link to one.
inline bool isDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder a path's last component is in: "." for a bare name, "/" at the root.
inline std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A name in a folder, with one "/" between them.
inline std::string joinPath(const std::string& folder, std::string_view name) {
  if (!folder.empty() && folder.back() == '/') return folder + std::string(name);
  return folder + "/" + std::string(name);
}

}  // namespace cvn::posix
