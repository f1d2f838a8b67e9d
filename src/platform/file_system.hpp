#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/text_file.hpp"

namespace cvn {

// A folder's direct files and subfolders, each with its full path.
struct FolderListing {
  std::u16string path;  // as opened, without trailing separators ("/" stays "/")
  std::vector<std::u16string> files;
  std::vector<std::u16string> subFolders;
};

// Everything the component asks of the operating system's files and folders.
// Paths are UTF-16; a lone surrogate U+DC80-U+DCFF stands for the byte of a
// name that is not valid UTF-8. Failures throw cvn::Error naming the path:
// 53 file not found, 76 path not found, 70 permission denied, 75 otherwise.
// Tests install their own implementation to inject failures.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual TextLines readTextFile(const std::u16string& path) = 0;
  // The first line of a text file, without its end, failing as readTextFile does. This
  // reads the file whole; the operating system's reads only the start.
  virtual std::string readFirstLine(const std::u16string& path);
  virtual FolderListing listFolder(const std::u16string& path) = 0;
  // Never fail: a path that cannot be asked about does not exist.
  virtual bool fileExists(const std::u16string& path) = 0;
  virtual bool folderExists(const std::u16string& path) = 0;

  // The file system in use: the operating system's unless a test replaced it.
  static FileSystem& current();
};

// Installs a file system for as long as it lives, then restores the previous one.
class ScopedFileSystem {
 public:
  explicit ScopedFileSystem(FileSystem& replacement);
  ~ScopedFileSystem();
  ScopedFileSystem(const ScopedFileSystem&) = delete;
  ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

 private:
  FileSystem* previous_;
};

// The operating system's file system, for replacements that forward to it.
FileSystem& osFileSystem();

}  // namespace cvn
