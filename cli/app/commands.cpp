#include <array>

#include "app/command.hpp"
#include "compare/compare_command.hpp"
#include "count/count_command.hpp"
#include "export/export_command.hpp"
#include "list/list_command.hpp"

namespace cvn::cli {

std::span<const CommandFactory> commandFactories() {
  // A new subcommand is one more entry here.
  static constexpr std::array<CommandFactory, 4> kFactories = {
      &makeCompareCommand, &makeListCommand, &makeCountCommand, &makeExportCommand};
  return kFactories;
}

}  // namespace cvn::cli
