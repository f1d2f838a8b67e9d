#include <array>

#include "app/command.hpp"
#include "compare/compare_command.hpp"
#include "count/count_command.hpp"
#include "export/export_command.hpp"
#include "list/list_command.hpp"
#include "report/report_command.hpp"

namespace cvn::cli {

std::span<const CommandFactory> commandFactories() {
  // A new subcommand is one more entry here.
  static constexpr std::array<CommandFactory, 5> kFactories = {
      &makeCompareCommand, &makeListCommand, &makeCountCommand, &makeExportCommand,
      &makeReportCommand};
  return kFactories;
}

}  // namespace cvn::cli
