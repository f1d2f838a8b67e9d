#include <array>

#include "app/command.hpp"
#include "compare/compare_command.hpp"

namespace cvn::cli {

std::span<const CommandFactory> commandFactories() {
  // A new subcommand is one more entry here.
  static constexpr std::array<CommandFactory, 1> kFactories = {&makeCompareCommand};
  return kFactories;
}

}  // namespace cvn::cli
