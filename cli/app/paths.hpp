#pragma once

#include <string>

namespace cvn::cli {

// A root as the command passes it on: made absolute against the working folder, with "."
// and ".." resolved and repeated and trailing separators removed, all lexically, so that
// symbolic links stay as typed. Bytes in, bytes out: file names need not be UTF-8.
std::string normalRoot(const std::string& typed);

}  // namespace cvn::cli
