#include "compare/tree_listing.hpp"

#include <algorithm>
#include <climits>
#include <optional>

#include "compare/git_ignore.hpp"
#include "platform/error.hpp"
#include "platform/file_system.hpp"
#include "platform/utf.hpp"

namespace cvn::cli {
namespace {

// Why a path cannot be an entry of a joined list, or nullptr when it can.
const char* whyNotListable(const std::u16string& path) {
  // The scan form separates entries with carriage returns.
  if (path.find(u'\r') != std::u16string::npos) return "it holds a carriage return";
  // The comparison form separates them with "||", and a "|" beside it would be read as
  // part of the separator.
  if (path.find(u"||") != std::u16string::npos) return "it holds \"||\"";
  const size_t slash = path.find_last_of(u'/');
  const std::u16string_view name = slash == std::u16string::npos
                                       ? std::u16string_view(path)
                                       : std::u16string_view(path).substr(slash + 1);
  if (name.empty() || name.front() == u'|' || name.back() == u'|') {
    return "its name begins or ends with \"|\"";
  }
  return nullptr;
}

}  // namespace

std::vector<std::u16string> listTree(const std::u16string& root, const FileFilter& filter) {
  std::optional<GitIgnored> ignored;
  if (filter.gitignore) ignored.emplace(utf16ToUtf8(root));
  FileSystem& fs = FileSystem::current();
  if (!fs.folderExists(root)) raise(kPathNotFound, utf16ToUtf8(root));

  // Depth first in pre-order, each folder's files before its subfolders: the component's
  // order, without recursion.
  std::vector<std::u16string> files;
  std::vector<std::u16string> pending = {root};
  while (!pending.empty()) {
    FolderListing folder = fs.listFolder(pending.back());
    pending.pop_back();
    // Most walks choose files by folder alone: then no file's path is looked at.
    const bool byFile = !filter.match.empty() || !filter.exclude.empty() || ignored;
    for (std::u16string& file : folder.files) {
      if (byFile) {
        const std::string path = pathAfterRoot(file, root);
        if (!filter.keepsFile(path) || (ignored && ignored->file(path))) continue;
      }
      if (const char* reason = whyNotListable(file)) {
        raise(kInvalidArgument, utf16ToUtf8(file) + " cannot be listed: " + reason);
      }
      files.push_back(std::move(file));
    }
    for (auto sub = folder.subFolders.rbegin(); sub != folder.subFolders.rend(); ++sub) {
      const std::string path = pathAfterRoot(*sub, root);
      if (filter.skipsFolder(path) || (ignored && ignored->folder(path))) continue;
      pending.push_back(std::move(*sub));
    }
  }
  if (files.size() > static_cast<size_t>(INT32_MAX)) raise(kOverflow);
  return files;
}

std::u16string joinFileList(const std::vector<std::u16string>& files) {
  std::u16string joined;
  for (size_t k = 0; k < files.size(); ++k) {
    if (k > 0) joined += u"||";
    joined += files[k];
  }
  return joined;
}

std::string pathAfterRoot(const std::u16string& path, const std::u16string& root) {
  const size_t cut = root.ends_with(u'/') ? root.size() : root.size() + 1;
  return utf16ToUtf8(std::u16string_view(path).substr(std::min(path.size(), cut)));
}

}  // namespace cvn::cli
