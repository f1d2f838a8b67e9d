// TempDir on Windows: the same folder helper, by wide paths, so that names
// outside the ANSI code page work.
#include <windows.h>

#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

#include "platform/utf.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

std::filesystem::path widePath(std::string_view utf8) {
  const std::u16string text = utf8ToUtf16(utf8);
  return std::filesystem::path(
      std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size()));
}

}  // namespace

TempDir::TempDir() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = std::filesystem::temp_directory_path() /
                     ("cvn-test-" + std::to_string(random() % 1000000000));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Clear the read-only attribute that tests set, so that everything can go.
  for (auto it = std::filesystem::recursive_directory_iterator(
           path_, std::filesystem::directory_options::skip_permission_denied, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    ::SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  std::filesystem::remove_all(path_, ignored);
}

// Joined with "/" as the shared tests build their paths; Win32 takes either
// separator.
std::u16string TempDir::u16(std::string_view relative) const {
  const std::wstring& wide = path_.native();
  std::u16string full(reinterpret_cast<const char16_t*>(wide.data()), wide.size());
  if (!relative.empty()) full.append(u"/").append(utf8ToUtf16(relative));
  return full;
}

std::filesystem::path TempDir::write(std::string_view relative, std::string_view bytes) const {
  const auto file = path_ / widePath(relative);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + utf16ToUtf8(u16(relative)));
  return file;
}

std::filesystem::path TempDir::mkdir(std::string_view relative) const {
  const auto folder = path_ / widePath(relative);
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
