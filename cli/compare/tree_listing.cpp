#include "compare/tree_listing.hpp"

#include <algorithm>

#include "component/corvane.hpp"
#include "platform/error.hpp"
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

std::vector<std::u16string> listTree(const std::u16string& root) {
  Corvane lister;
  auto files = lister.listFiles(root);
  if (!files) raise(kPathNotFound, utf16ToUtf8(root));
  for (const std::u16string& file : *files) {
    if (const char* reason = whyNotListable(file)) {
      raise(kInvalidArgument, utf16ToUtf8(file) + " cannot be listed: " + reason);
    }
  }
  return std::move(*files);
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
  return utf16ToUtf8(std::u16string_view(path).substr(std::min(path.size(), root.size() + 1)));
}

}  // namespace cvn::cli
