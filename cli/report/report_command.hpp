#pragma once

#include <memory>
#include <string>

#include "app/command.hpp"

namespace cvn::cli {

// "cvn report --run R -o FILE": a stored run as one HTML page.
std::unique_ptr<Command> makeReportCommand();

// Writes the page of a stored run to a file (atomically), or to standard output for "-".
void writeReport(const std::string& database, int64_t run, const std::string& out);

}  // namespace cvn::cli
