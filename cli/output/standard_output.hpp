#pragma once

#include <string_view>

namespace cvn::cli {

// Writes bytes to stdout and flushes them; a failure (a full disk, a closed pipe) is a
// CommandError, so that the command does not report success for output it lost.
void writeStandardOutput(std::string_view bytes);

}  // namespace cvn::cli
