#pragma once

#include <string>
#include <vector>

namespace cvn::cli {

// How one program of a pipeline ended.
struct StageOutcome {
  int status = 0;      // exit status; 128 + the signal when one ended it
  std::string errors;  // what it wrote to stderr (the last program's stdout too)
};

// Runs programs found on PATH, without a shell, each one's standard output feeding the next
// one's standard input, as "a | b" would; the first reads nothing. Returns when all have
// ended, in order. A program that cannot be started is a CommandError naming it; SIGINT or
// SIGTERM stops them all and throws Interrupted.
std::vector<StageOutcome> runPipeline(const std::vector<std::vector<std::string>>& stages);

}  // namespace cvn::cli
