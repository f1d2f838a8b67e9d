#include "app/temporary_folder.hpp"

#include <fmt/format.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/failure.hpp"

namespace cvn::cli {

TemporaryFolder::TemporaryFolder(std::string_view purpose) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      fmt::format("{}/cvn-{}-XXXXXX", base != nullptr && *base != '\0' ? base : "/tmp", purpose);
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw CommandError(fmt::format("cannot create a temporary folder like {}", pattern));
  }
  path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace cvn::cli
