#include "platform/file_system.hpp"

namespace cvn {
namespace {

FileSystem* installed = nullptr;  // by a test, else the operating system's is used

}  // namespace

std::string FileSystem::readFirstLine(const std::u16string& path) {
  const TextLines text = readTextFile(path);
  const std::vector<std::string_view>& lines = text.lines();
  return lines.empty() ? std::string() : std::string(lines.front());
}

FileSystem& FileSystem::current() {
  return installed != nullptr ? *installed : osFileSystem();
}

ScopedFileSystem::ScopedFileSystem(FileSystem& replacement) : previous_(installed) {
  installed = &replacement;
}

ScopedFileSystem::~ScopedFileSystem() {
  installed = previous_;
}

}  // namespace cvn
