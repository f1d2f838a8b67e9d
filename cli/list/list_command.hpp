#pragma once

#include <memory>

#include "app/command.hpp"

namespace cvn::cli {

// "cvn list PATH": the files the component's getFileList selects, one per line.
std::unique_ptr<Command> makeListCommand();

}  // namespace cvn::cli
