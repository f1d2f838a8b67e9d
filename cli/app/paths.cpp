#include "app/paths.hpp"

#include <filesystem>

namespace cvn::cli {

std::string normalRoot(const std::string& typed) {
  if (typed.empty()) return typed;
  std::filesystem::path path(typed);
  if (path.is_relative()) path = std::filesystem::current_path() / path;
  std::string normal = path.lexically_normal().string();
  while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

}  // namespace cvn::cli
