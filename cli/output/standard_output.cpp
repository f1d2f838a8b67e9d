#include "output/standard_output.hpp"

#include <cstdio>

#include "app/failure.hpp"

namespace cvn::cli {

void writeStandardOutput(std::string_view bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
      std::fflush(stdout) != 0) {
    throw CommandError("cannot write to standard output");
  }
}

}  // namespace cvn::cli
