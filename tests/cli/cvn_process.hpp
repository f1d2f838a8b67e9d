#pragma once

#include <csignal>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "run_cvn.hpp"

namespace cvn::test {

// Variables to set (a value) or remove (none) in a child's environment.
using EnvChanges = std::vector<std::pair<std::string, std::optional<std::string>>>;

// Runs a program (a path, or a name looked up on PATH) without a shell, stdin from
// /dev/null, with both output streams captured.
CvnResult runProgram(const std::vector<std::string>& argv, const std::filesystem::path& cwd,
                     const EnvChanges& env = {});

// Runs the built cvn with a changed environment.
CvnResult runCvnWithEnv(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                        const EnvChanges& env);

// Runs cvn with a pseudo-terminal as its stdin, stdout and stderr; out holds everything the
// terminal received, err stays empty.
CvnResult runCvnOnTerminal(const std::vector<std::string>& args, const std::filesystem::path& cwd);

// Starts cvn, waits until the file trigger exists (or cvn has ended), sends it the signal
// and waits for it to end. The wait for the trigger is bounded.
CvnResult runCvnAndSignal(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                          const EnvChanges& env, const std::filesystem::path& trigger, int signal);

}  // namespace cvn::test
