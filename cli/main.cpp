// cvn: the command that hosts the comparer component.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <vector>

#include "app/command.hpp"
#include "app/failure.hpp"

namespace {

// Every failure ends here: one line on stderr and exit status 2.
int fail(const std::string& line) {
  std::fputs((line + "\n").c_str(), stderr);
  return 2;
}

int runCvn(int argc, char** argv) {
  CLI::App app("CVN measures how the source files of a project changed between two versions.",
               "cvn");
  app.set_version_flag("--version", "cvn " CVN_VERSION);
  app.require_subcommand(1);

  std::vector<std::unique_ptr<cvn::cli::Command>> commands;
  std::vector<CLI::App*> subcommands;
  for (const cvn::cli::CommandFactory factory : cvn::cli::commandFactories()) {
    commands.push_back(factory());
    CLI::App* sub = app.add_subcommand(std::string(commands.back()->name()),
                                       std::string(commands.back()->description()));
    commands.back()->addOptions(*sub);
    subcommands.push_back(sub);
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // --help and --version are "errors" that succeed.
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(e);
    if (app.get_subcommands().empty() && !app.remaining().empty() &&
        !app.remaining().front().starts_with('-')) {
      return fail(cvn::cli::escapeControls("cvn: no command \"" + app.remaining().front() +
                                           "\" (cvn --help lists them)"));
    }
    return fail(cvn::cli::escapeControls(std::string("cvn: ") + e.what()));
  }
  for (size_t k = 0; k < commands.size(); ++k) {
    if (subcommands[k]->parsed()) commands[k]->run();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return runCvn(argc, argv);
  } catch (const std::exception& e) {
    return fail(cvn::cli::failureLine(e));
  } catch (...) {
    return fail("cvn: unexpected failure");
  }
}
