#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "run_cvn.hpp"

namespace cvn::test {

// Runs cvn as a program started without a desktop or a terminal: in a session of its own
// (so no controlling terminal), stdin from /dev/null, DISPLAY and WAYLAND_DISPLAY unset.
// The Save dialog then has nowhere to ask and cancels at once.
CvnResult runCvnDetached(const std::vector<std::string>& args, const std::filesystem::path& cwd);

}  // namespace cvn::test
