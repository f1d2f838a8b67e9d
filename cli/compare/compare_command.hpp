#pragma once

#include <memory>

#include "app/command.hpp"

namespace cvn::cli {

// "cvn compare OLD NEW": compares two trees and stores the results (or prints the
// statement list with --sql).
std::unique_ptr<Command> makeCompareCommand();

}  // namespace cvn::cli
