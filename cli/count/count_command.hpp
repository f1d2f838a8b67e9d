#pragma once

#include <memory>

#include "app/command.hpp"

namespace cvn::cli {

// "cvn count PATH...": the physical line counts (total, comment, blank, code) of files and
// the files under folders, summed by language.
std::unique_ptr<Command> makeCountCommand();

}  // namespace cvn::cli
