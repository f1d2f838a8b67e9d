#include "tree/file_mask.hpp"

#include "platform/error.hpp"
#include "platform/file_system.hpp"
#include "platform/utf.hpp"

namespace cvn {

MaskedRoot stripFileMask(const std::u16string& root) {
  if (!root.empty() && FileSystem::current().folderExists(root)) return {root, u"", false};

  MaskedRoot result;
  const size_t length = root.size();
  size_t i = 0;
  for (;; ++i) {
    if (i >= length) {
      raise(kInvalidArgument, "no such folder and no separator: \"" + utf16ToUtf8(root) + "\"");
    }
    const char16_t c = root[length - 1 - i];
    if (c == u'\\' || c == u'/') break;
    if (c != u'.' && result.maskSuffix != u"*" && !result.maskSeen) {
      result.maskSuffix = root.substr(length - 1 - i);
    } else {
      result.maskSeen = true;
    }
  }
  result.directory = result.maskSeen ? root.substr(0, length - i) : root;
  return result;
}

}  // namespace cvn
