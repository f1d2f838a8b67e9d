#pragma once

#include <string>
#include <vector>

#include "compare/file_filter.hpp"

namespace cvn::cli {

// The files of a root folder (absolute, normal, existing) that the filter keeps, in the
// order of the component's getFileList; a folder the filter skips is never opened. A kept
// path that could not travel in a joined list (it holds a carriage return or "||", or the
// file's name begins or ends with "|") is refused with the invalid-argument error naming it.
std::vector<std::u16string> listTree(const std::u16string& root, const FileFilter& filter = {});

// The comparison form of a list: the entries joined by "||"; no entry gives "".
std::u16string joinFileList(const std::vector<std::u16string>& files);

// A listed path as the results name it: after the root and its separator, in UTF-8.
std::string pathAfterRoot(const std::u16string& path, const std::u16string& root);

}  // namespace cvn::cli
