#pragma once

#include <memory>

#include "app/command.hpp"

namespace cvn::cli {

// "cvn count FILE": the physical line count of one file (total, comment, blank, code).
std::unique_ptr<Command> makeCountCommand();

}  // namespace cvn::cli
