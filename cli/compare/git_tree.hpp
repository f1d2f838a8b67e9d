#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/file_system.hpp"

namespace cvn::cli {

class BlobReader;

// Revisions of a git repository read straight from its object store, as folders that
// exist only in this process: installed as the file system, they are listed and read
// like any folder, and every path outside them goes to the operating system. Files are
// the committed blobs; a symbolic link to a file of the same revision reads as that
// file, other links are left out, and so are submodules, whose files another
// repository holds.
class GitTrees final : public FileSystem {
 public:
  explicit GitTrees(std::string repository);  // absolute
  ~GitTrees() override;

  // Lists a revision; its root, "<repository>@<revision>" with "/" in the revision
  // written as "_". Git's complaint about the revision is a CommandError.
  std::string add(const std::string& revision);
  // The commit a revision names, when it names one.
  std::optional<std::string> commitOf(const std::string& revision);
  // Submodules left out, over the revisions added.
  int64_t submodules() const { return submodules_; }

  TextLines readTextFile(const std::u16string& path) override;
  FolderListing listFolder(const std::u16string& path) override;
  bool fileExists(const std::u16string& path) override;
  bool folderExists(const std::u16string& path) override;

 private:
  struct Folder {
    std::vector<std::string> files;  // names, in byte order
    std::vector<std::string> subFolders;
  };
  struct Tree {
    std::string root;
    std::unordered_map<std::string, std::string> blobs;  // relative path -> object id
    std::unordered_map<std::string, Folder> folders;     // "" is the root
  };
  struct Place {
    const Tree* tree = nullptr;  // none: not in a revision
    std::string relative;
  };

  Place locate(const std::u16string& path) const;
  std::unique_ptr<BlobReader> takeReader();

  std::string repository_;
  std::vector<std::unique_ptr<Tree>> trees_;
  int64_t submodules_ = 0;
  // Readers not in use; the component reads files on several threads.
  std::mutex readersMutex_;
  std::vector<std::unique_ptr<BlobReader>> idleReaders_;
};

// A revision as part of a folder name: "/" and the characters a file list cannot carry
// become "_".
std::string revisionFolderName(const std::string& revision);

}  // namespace cvn::cli
