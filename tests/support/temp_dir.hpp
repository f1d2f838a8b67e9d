#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace cvn::test {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes out of scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The path of a relative name inside the folder, as UTF-16.
  std::u16string u16(std::string_view relative = "") const;

  // Writes bytes to a file, creating the folders on the way; returns its path.
  std::filesystem::path write(std::string_view relative, std::string_view bytes) const;
  std::filesystem::path mkdir(std::string_view relative) const;

 private:
  std::filesystem::path path_;
};

// UTF-8 bytes as UTF-16, for building paths and lines in tests.
std::u16string u16(std::string_view utf8);
std::string u8(std::u16string_view text);

}  // namespace cvn::test
