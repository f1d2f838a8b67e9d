#include "compare/git_tree.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <string_view>

#include "app/failure.hpp"
#include "app/interrupt.hpp"
#include "compare/git_process.hpp"
#include "platform/error.hpp"
#include "platform/utf.hpp"

namespace cvn::cli {
namespace {

constexpr std::string_view kLinkMode = "120000";
// Links followed one after another before giving up, as the system's own limit.
constexpr int kMaxLinkHops = 40;

std::string_view parentOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

// Where a link's target leads inside the revision, "" when it leaves it.
std::string linkDestination(std::string_view link, std::string_view target) {
  if (target.empty() || target.front() == '/') return {};
  std::vector<std::string_view> parts;
  std::string_view folder = parentOf(link);
  const auto push = [&parts](std::string_view path) {
    while (!path.empty()) {
      const size_t slash = path.find('/');
      const std::string_view part = path.substr(0, slash);
      path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
      if (part.empty() || part == ".") continue;
      if (part != "..") {
        parts.push_back(part);
      } else if (parts.empty()) {
        return false;
      } else {
        parts.pop_back();
      }
    }
    return true;
  };
  if (!push(folder) || !push(target) || parts.empty()) return {};
  std::string joined;
  for (const std::string_view part : parts) {
    if (!joined.empty()) joined += '/';
    joined += part;
  }
  return joined;
}

}  // namespace

std::string revisionFolderName(const std::string& revision) {
  std::string name = revision;
  for (char& c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '/' || c == '|' || byte < 0x20 || byte == 0x7F) c = '_';
  }
  return name;
}

GitTrees::GitTrees(std::string repository) : repository_(std::move(repository)) {}

GitTrees::~GitTrees() = default;

std::string GitTrees::add(const std::string& revision) {
  // --end-of-options: a revision that starts with "-" is still a revision.
  const std::string listing =
      gitOutput(repository_, {"ls-tree", "-r", "-z", "--full-tree", "--end-of-options", revision},
                fmt::format("cannot read revision {} of {}", revision, repository_));
  auto tree = std::make_unique<Tree>();
  tree->root = repository_ + "@" + revisionFolderName(revision);

  // "<mode> <type> <id>\t<path>\0" for each file, link and submodule.
  std::unordered_map<std::string, std::string> links;  // path -> the id of its target text
  for (size_t start = 0; start < listing.size();) {
    size_t end = listing.find('\0', start);
    if (end == std::string::npos) end = listing.size();
    const std::string_view record(listing.data() + start, end - start);
    start = end + 1;
    const size_t tab = record.find('\t');
    const size_t firstSpace = record.find(' ');
    const size_t secondSpace = record.find(' ', firstSpace + 1);
    if (tab == std::string_view::npos || secondSpace == std::string_view::npos ||
        secondSpace > tab) {
      continue;
    }
    const std::string_view mode = record.substr(0, firstSpace);
    const std::string_view type = record.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    std::string id(record.substr(secondSpace + 1, tab - secondSpace - 1));
    std::string path(record.substr(tab + 1));
    if (type == "commit") {
      ++submodules_;
    } else if (type == "blob") {
      (mode == kLinkMode ? links : tree->blobs).emplace(std::move(path), std::move(id));
    }
  }
  if (!links.empty()) {
    // A link to a file of the revision reads as that file, through links to links.
    BlobReader reader(repository_);
    std::unordered_map<std::string, std::string> targets;
    for (const auto& [path, id] : links) {
      const FileBytes text = reader.read(id, utf8ToUtf16(path));
      targets.emplace(path, std::string(text.begin(), text.end()));
    }
    for (const auto& [path, id] : links) {
      std::string at = path;
      for (int hop = 0; hop < kMaxLinkHops && !at.empty(); ++hop) {
        const auto link = targets.find(at);
        if (link == targets.end()) break;
        at = linkDestination(at, link->second);
      }
      const auto file = tree->blobs.find(at);
      if (file != tree->blobs.end()) tree->blobs.emplace(path, file->second);
    }
  }

  for (const auto& [path, id] : tree->blobs) {
    std::string_view child = path;
    bool file = true;
    do {
      const std::string_view parent = parentOf(child);
      const std::string_view name = child.substr(parent.empty() ? 0 : parent.size() + 1);
      Folder& folder = tree->folders[std::string(parent)];
      (file ? folder.files : folder.subFolders).emplace_back(name);
      child = parent;
      file = false;
    } while (!child.empty());
  }
  tree->folders.try_emplace("");  // a revision without files is still a folder
  for (auto& [path, folder] : tree->folders) {
    std::sort(folder.files.begin(), folder.files.end());
    std::sort(folder.subFolders.begin(), folder.subFolders.end());
    folder.subFolders.erase(std::unique(folder.subFolders.begin(), folder.subFolders.end()),
                            folder.subFolders.end());
  }
  trees_.push_back(std::move(tree));
  return trees_.back()->root;
}

std::optional<std::string> GitTrees::commitOf(const std::string& revision) {
  try {
    std::string id = gitOutput(
        repository_, {"rev-parse", "--verify", "--end-of-options", revision + "^{commit}"},
        "cannot resolve " + revision);
    while (!id.empty() && id.back() == '\n') id.pop_back();
    return id;
  } catch (const Interrupted&) {
    throw;
  } catch (const CommandError&) {
    return std::nullopt;  // a tree rather than a commit
  }
}

GitTrees::Place GitTrees::locate(const std::u16string& path) const {
  const std::optional<std::string> bytes = utf16ToUtf8Exact(path);
  if (!bytes) return {};
  std::string_view text = *bytes;
  while (text.size() > 1 && text.back() == '/') text.remove_suffix(1);
  for (const auto& tree : trees_) {
    if (!text.starts_with(tree->root)) continue;
    if (text.size() == tree->root.size()) return {tree.get(), ""};
    if (text[tree->root.size()] == '/') {
      return {tree.get(), std::string(text.substr(tree->root.size() + 1))};
    }
  }
  return {};
}

std::unique_ptr<BlobReader> GitTrees::takeReader() {
  {
    const std::lock_guard lock(readersMutex_);
    if (!idleReaders_.empty()) {
      std::unique_ptr<BlobReader> reader = std::move(idleReaders_.back());
      idleReaders_.pop_back();
      return reader;
    }
  }
  return std::make_unique<BlobReader>(repository_);
}

TextLines GitTrees::readTextFile(const std::u16string& path) {
  const Place place = locate(path);
  if (place.tree == nullptr) return osFileSystem().readTextFile(path);
  const auto blob = place.tree->blobs.find(place.relative);
  if (blob == place.tree->blobs.end()) raise(kFileNotFound, utf16ToUtf8(path));
  // A reader that failed may be out of step with its git: it is not used again.
  std::unique_ptr<BlobReader> reader = takeReader();
  TextLines lines(reader->read(blob->second, path));
  const std::lock_guard lock(readersMutex_);
  idleReaders_.push_back(std::move(reader));
  return lines;
}

FolderListing GitTrees::listFolder(const std::u16string& path) {
  const Place place = locate(path);
  if (place.tree == nullptr) return osFileSystem().listFolder(path);
  const auto folder = place.tree->folders.find(place.relative);
  if (folder == place.tree->folders.end()) raise(kPathNotFound, utf16ToUtf8(path));
  FolderListing listing;
  std::string prefix = place.tree->root + "/";
  if (!place.relative.empty()) prefix += place.relative + "/";
  listing.path = utf8ToUtf16(prefix.substr(0, prefix.size() - 1));
  for (const std::string& name : folder->second.files)
    listing.files.push_back(utf8ToUtf16(prefix + name));
  for (const std::string& name : folder->second.subFolders) {
    listing.subFolders.push_back(utf8ToUtf16(prefix + name));
  }
  return listing;
}

bool GitTrees::fileExists(const std::u16string& path) {
  const Place place = locate(path);
  if (place.tree == nullptr) return osFileSystem().fileExists(path);
  return place.tree->blobs.contains(place.relative);
}

bool GitTrees::folderExists(const std::u16string& path) {
  const Place place = locate(path);
  if (place.tree == nullptr) return osFileSystem().folderExists(path);
  return place.tree->folders.contains(place.relative);
}

}  // namespace cvn::cli
