#pragma once

#include <memory>

#include "app/command.hpp"

namespace cvn::cli {

// "cvn export --session N": a stored run written through the component's exportFile.
std::unique_ptr<Command> makeExportCommand();

}  // namespace cvn::cli
