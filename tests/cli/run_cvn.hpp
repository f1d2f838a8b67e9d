#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace cvn::test {

// What one run of the built cvn executable did.
struct CvnResult {
  int status = -1;  // exit status; 128 + signal when it was killed
  std::string out;
  std::string err;
};

// Runs cvn with the arguments (no shell) in a working folder; asNobody drops root's
// privileges to user and group 65534 first, so that permission errors are real.
CvnResult runCvn(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                 bool asNobody = false);

// The lines of a text, without their line ends.
std::vector<std::string> linesOf(const std::string& text);

// The cells of the summary table's row for a label ("C", "total"), left to right without
// the label; empty when there is no such row.
std::vector<std::string> summaryCells(const std::string& summary, const std::string& label);

}  // namespace cvn::test
