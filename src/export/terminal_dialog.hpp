#pragma once

#include <cstdint>

#include "export/module1.hpp"

// The Save dialog as questions on a terminal, where no display is.
namespace cvn {

// Asks on a terminal open for reading and writing: a file name (empty or the
// end of input cancels), relative to the dialog's folder, then whether to
// replace an existing file.
int32_t runTerminalSaveDialog(int tty, Module1::OPENFILENAME& ofn);

}  // namespace cvn
