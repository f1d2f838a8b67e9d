#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace cvn::test {

// A file's bytes; "" when it cannot be read.
inline std::string readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Sets a path's permission bits exactly, e.g. 0777 for a folder anyone may write.
inline void setMode(const std::filesystem::path& path, std::filesystem::perms mode) {
  std::filesystem::permissions(path, mode, std::filesystem::perm_options::replace);
}

}  // namespace cvn::test
