// cvn: the command that hosts the comparer component.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <vector>

#include "app/command.hpp"
#include "app/failure.hpp"

namespace {

constexpr const char* kExitStatus =
    "Exit status: 0 done; 1 cancelled (the Save dialog of export closed); 2 error, with one line "
    "on stderr (\"cvn: error N: ...\" keeps the component's error number N); 128+N stopped by "
    "signal N (130 for Ctrl-C), nothing stored.";

// The help without CLI11's "Excludes:" notes: the descriptions say what goes together.
class PlainFormatter final : public CLI::Formatter {
 public:
  std::string make_option_opts(const CLI::Option* option) const override {
    if (!option->get_option_text().empty()) return " " + option->get_option_text();
    std::string text;
    if (option->get_type_size() == 0) return text;
    if (!option->get_type_name().empty()) text += " " + get_label(option->get_type_name());
    if (option->get_expected_max() == CLI::detail::expected_max_vector_size) text += " ...";
    if (option->get_required()) text += " " + get_label("REQUIRED");
    return text;
  }
};

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
  app.formatter(std::make_shared<PlainFormatter>());
  app.footer(kExitStatus);

  std::vector<std::unique_ptr<cvn::cli::Command>> commands;
  std::vector<CLI::App*> subcommands;
  for (const cvn::cli::CommandFactory factory : cvn::cli::commandFactories()) {
    commands.push_back(factory());
    CLI::App* sub = app.add_subcommand(std::string(commands.back()->name()),
                                       std::string(commands.back()->description()));
    commands.back()->addOptions(*sub);
    sub->footer(kExitStatus);
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
    if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
      // Most often a second value after an option that takes one ("--match *.c *.h A B").
      return fail(cvn::cli::escapeControls(
          std::string("cvn: ") + e.what() +
          " (an option takes one value: repeat the option or join its values with commas)"));
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
