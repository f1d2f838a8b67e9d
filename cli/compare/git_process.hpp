#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_descriptor_posix.hpp"
#include "platform/text_file.hpp"

namespace cvn::cli {

// How one git command ended. A stop signal stops git and throws Interrupted; a git that
// cannot be started is the CommandError "cannot run git: ...".
struct GitResult {
  int status = 0;
  std::string output;
  std::string complaint;  // the last line of its standard error that says something
};
GitResult runGit(const std::string& folder, const std::vector<std::string>& arguments);

// What git printed for one command, which must have succeeded: otherwise a CommandError
// "<option>: <what>: <git's last line of complaint>".
std::string gitOutput(const std::string& repository, const std::vector<std::string>& arguments,
                      const std::string& what, std::string_view option = "--git");

// One "git cat-file --batch" of a repository: object contents by id, one after another.
class BlobReader {
 public:
  explicit BlobReader(const std::string& repository);
  ~BlobReader();
  BlobReader(const BlobReader&) = delete;
  BlobReader& operator=(const BlobReader&) = delete;

  // The blob's bytes; path names it in errors (53 when git does not have it, 7 when it
  // cannot fit in memory, 75 when git fails).
  FileBytes read(const std::string& id, const std::u16string& path);

 private:
  // Up to most bytes of what git wrote, at least one; 0 when it has ended.
  size_t readSome(char* into, size_t most);
  std::string readLine(const std::u16string& path);
  void skip(size_t count, const std::u16string& path);

  pid_t child_ = -1;
  FileDescriptor toGit_;
  FileDescriptor fromGit_;
  std::vector<char> buffer_;
  size_t begin_ = 0;  // what buffer_[begin_, end_) holds is read from git but not yet used
  size_t end_ = 0;
};

}  // namespace cvn::cli
