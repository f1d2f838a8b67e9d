#pragma once

#include <memory>
#include <span>
#include <string_view>

namespace CLI {
class App;
}

namespace cvn::cli {

// One subcommand of cvn ("compare", "list", "count", "export"): it declares its options on
// its own CLI11 subcommand and runs when the user chose it.
class Command {
 public:
  virtual ~Command() = default;

  virtual std::string_view name() const = 0;
  virtual std::string_view description() const = 0;
  virtual void addOptions(CLI::App& subcommand) = 0;
  // Throws on failure; main turns the exception into the one error line.
  virtual void run() = 0;
};

using CommandFactory = std::unique_ptr<Command> (*)();

// Every subcommand cvn offers, in the order --help lists them.
std::span<const CommandFactory> commandFactories();

}  // namespace cvn::cli
