#include "support/temp_dir.hpp"

#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

#include "platform/utf.hpp"

namespace cvn::test {

TempDir::TempDir() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = std::filesystem::temp_directory_path() /
                     ("cvn-test-" + std::to_string(random() % 1000000000));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Restore permissions that tests took away, so that everything can go.
  for (auto it = std::filesystem::recursive_directory_iterator(
           path_, std::filesystem::directory_options::skip_permission_denied, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    if (!it->is_symlink(ignored)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
  }
  std::filesystem::remove_all(path_, ignored);
}

std::u16string TempDir::u16(std::string_view relative) const {
  std::string full = path_.string();
  if (!relative.empty()) full.append("/").append(relative);
  return utf8ToUtf16(full);
}

std::filesystem::path TempDir::write(std::string_view relative, std::string_view bytes) const {
  const auto file = path_ / std::string(relative);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
  return file;
}

std::filesystem::path TempDir::mkdir(std::string_view relative) const {
  const auto folder = path_ / std::string(relative);
  std::filesystem::create_directories(folder);
  return folder;
}

std::u16string u16(std::string_view utf8) {
  return utf8ToUtf16(utf8);
}
std::string u8(std::u16string_view text) {
  return utf16ToUtf8(text);
}

}  // namespace cvn::test
