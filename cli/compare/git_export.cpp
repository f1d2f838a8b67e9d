#include "compare/git_export.hpp"

#include <fmt/format.h>
#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/failure.hpp"
#include "app/paths.hpp"
#include "app/pipeline.hpp"

namespace cvn::cli {
namespace {

std::string temporaryBase() {
  const char* tmp = std::getenv("TMPDIR");
  std::string base = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return base;
}

// The complaint of a program as one line: its last line that says something.
std::string lastLine(const std::string& text) {
  std::string last;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty()) last = std::move(line);
    start = end + 1;
  }
  return last;
}

}  // namespace

std::string repositoryName(const std::string& absoluteRepository) {
  std::string name = std::filesystem::path(absoluteRepository).filename().string();
  if (name.size() > 4 && name.ends_with(".git")) name.resize(name.size() - 4);
  return name.empty() ? "repository" : name;
}

std::string revisionFolderName(const std::string& revision) {
  std::string name = revision;
  for (char& c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '/' || c == '|' || byte < 0x20 || byte == 0x7F) c = '_';
  }
  return name;
}

GitExport::GitExport(const std::string& repository, const std::string& revision) {
  const std::string absolute = normalRoot(repository);
  std::string pattern = temporaryBase() + "/cvn-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw CommandError(fmt::format("cannot create a temporary folder in {}: {}", temporaryBase(),
                                   std::strerror(errno)));
  }
  parent_ = pattern;
  root_ = parent_ + "/" + repositoryName(absolute) + "@" + revisionFolderName(revision);
  try {
    std::filesystem::create_directory(root_);
    // --end-of-options: a revision that starts with "-" is still a revision.
    const auto outcomes = runPipeline({
        {"git", "-C", absolute, "archive", "--format=tar", "--end-of-options", revision},
        {"tar", "-x", "-f", "-", "-C", root_},
    });
    const StageOutcome& git = outcomes.at(0);
    const StageOutcome& tar = outcomes.at(1);
    if (git.status != 0 || tar.status != 0) {
      const StageOutcome& failed = git.status != 0 ? git : tar;
      const std::string complaint = lastLine(failed.errors);
      throw CommandError(fmt::format(
          "--git: cannot export revision {} of {}: {}", revision, absolute,
          complaint.empty() ? fmt::format("{} ended with status {}",
                                          git.status != 0 ? "git" : "tar", failed.status)
                            : complaint));
    }
  } catch (...) {
    removeFolder();
    throw;
  }
}

GitExport::~GitExport() {
  removeFolder();
}

void GitExport::removeFolder() noexcept {
  if (parent_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(parent_, ignored);
  parent_.clear();
}

}  // namespace cvn::cli
