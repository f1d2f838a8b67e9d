#include "platform/file_system.hpp"

namespace cvn {
namespace {

FileSystem* installed = nullptr;  // by a test, else the operating system's is used

}  // namespace

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
