#include "compare/git_ignore.hpp"

#include <fmt/format.h>

#include "app/failure.hpp"
#include "app/interrupt.hpp"
#include "app/temporary_folder.hpp"
#include "compare/git_process.hpp"

namespace cvn::cli {
namespace {

// Untracked files that the ignore rules match; a folder whose every file is ignored comes
// as one entry ending in "/".
const std::vector<std::string> kListIgnored = {
    "ls-files", "-z", "--others", "--ignored", "--exclude-standard", "--directory"};

std::string listIgnored(const std::string& root) {
  try {
    if (runGit(root, {"rev-parse", "--is-inside-work-tree"}).output == "true\n") {
      return gitOutput(root, kListIgnored, "cannot list what git ignores in " + root,
                       "--gitignore");
    }
    // A tree outside any repository: an empty repository of our own over it reads the same
    // rules without writing into the tree.
    const TemporaryFolder repository("gitignore");
    gitOutput(repository.path(), {"init", "-q", "--bare", "."},
              "cannot make an empty repository in " + repository.path(), "--gitignore");
    std::vector<std::string> arguments = {"--git-dir=" + repository.path(), "--work-tree=."};
    arguments.insert(arguments.end(), kListIgnored.begin(), kListIgnored.end());
    return gitOutput(root, arguments, "cannot list what git ignores in " + root, "--gitignore");
  } catch (const Interrupted&) {
    throw;
  } catch (const CommandError& error) {
    const std::string_view message = error.what();
    if (message.starts_with("--gitignore")) throw;
    throw CommandError(fmt::format("--gitignore needs git: {}", message));
  }
}

}  // namespace

GitIgnored::GitIgnored(const std::string& root) {
  const std::string listed = listIgnored(root);
  size_t start = 0;
  while (start < listed.size()) {
    size_t end = listed.find('\0', start);
    if (end == std::string::npos) end = listed.size();
    std::string path = listed.substr(start, end - start);
    if (path.ends_with('/')) {
      path.pop_back();
      folders_.insert(std::move(path));
    } else if (!path.empty()) {
      files_.insert(std::move(path));
    }
    start = end + 1;
  }
}

}  // namespace cvn::cli
