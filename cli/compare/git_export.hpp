#pragma once

#include <string>

namespace cvn::cli {

// One revision of a git repository exported into a temporary folder, which is removed
// with the object. The tree's folder is named "<repository>@<revision>" (a "/" in the
// revision written as "_"), so the roots that the results record say where they came from.
class GitExport {
 public:
  // repository as typed (made absolute here); revision as git takes it. Fails with a
  // CommandError that carries git's own complaint.
  GitExport(const std::string& repository, const std::string& revision);
  ~GitExport();
  GitExport(const GitExport&) = delete;
  GitExport& operator=(const GitExport&) = delete;

  // The tree's folder: absolute, normal, without a trailing separator.
  const std::string& root() const { return root_; }

 private:
  void removeFolder() noexcept;

  std::string parent_;  // the temporary folder that holds root_
  std::string root_;
};

// The name a repository's folder gives it: its last component without ".git".
std::string repositoryName(const std::string& absoluteRepository);

// A revision as part of a folder name: "/" and the characters a file list cannot carry
// become "_".
std::string revisionFolderName(const std::string& revision);

}  // namespace cvn::cli
