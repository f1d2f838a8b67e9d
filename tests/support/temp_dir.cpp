#include "support/temp_dir.hpp"

#ifdef _WIN32
#include <windows.h>
#endif

#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

#include "platform/utf.hpp"

namespace cvn::test {
namespace {

// A relative UTF-8 name as a path; on Windows by its wide form, so that names
// outside the ANSI code page work.
std::filesystem::path pathOf(std::string_view utf8) {
#ifdef _WIN32
  const std::u16string text = utf8ToUtf16(utf8);
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
#else
  return std::string(utf8);
#endif
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
  // Give back what tests took away (permissions, the read-only attribute), so that everything can
  // go.
  for (auto it = std::filesystem::recursive_directory_iterator(
           path_, std::filesystem::directory_options::skip_permission_denied, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
#ifdef _WIN32
    ::SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
#else
    if (!it->is_symlink(ignored)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
#endif
  }
  std::filesystem::remove_all(path_, ignored);
}

// Joined with "/" as the tests build their paths; Win32 takes either separator.
std::u16string TempDir::u16(std::string_view relative) const {
#ifdef _WIN32
  const std::wstring& wide = path_.native();
  std::u16string full(reinterpret_cast<const char16_t*>(wide.data()), wide.size());
#else
  std::u16string full = utf8ToUtf16(path_.string());
#endif
  if (!relative.empty()) full.append(u"/").append(utf8ToUtf16(relative));
  return full;
}

std::filesystem::path TempDir::write(std::string_view relative, std::string_view bytes) const {
  const auto file = path_ / pathOf(relative);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + utf16ToUtf8(u16(relative)));
  return file;
}

std::filesystem::path TempDir::mkdir(std::string_view relative) const {
  const auto folder = path_ / pathOf(relative);
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
