#pragma once

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>

namespace cvn::cli {

// A failure of the command itself (an option, the output) rather than of the component,
// so it carries no error number.
class CommandError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The single stderr line for a failure, without its newline: "cvn: error N: ..." for a
// component error, "cvn: ..." otherwise. Control characters (a carriage return in a file
// name) are escaped so that it stays one line.
std::string failureLine(const std::exception& failure);

// An error's description with the interface's standard text at its start ("Path not found:
// X") in plain words ("no such folder: X"); other descriptions as they are.
std::string plainDescription(int32_t number, std::string_view description);

// Text with control characters written as \r, \n, \t or \xNN.
std::string escapeControls(std::string_view text);

}  // namespace cvn::cli
