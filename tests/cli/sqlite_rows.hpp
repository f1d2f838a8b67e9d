#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace cvn::test {

using Rows = std::vector<std::vector<std::string>>;

// The rows a query gives on a database, each value as text ("NULL" for NULL). The file is
// opened read-only and must exist.
Rows queryRows(const std::filesystem::path& database, const std::string& sql);

// Runs SQL text on a database file, creating it when missing.
void executeOn(const std::filesystem::path& database, const std::string& sql);

}  // namespace cvn::test
