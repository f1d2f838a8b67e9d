#pragma once

// The earlier name of save_dialog_posix.hpp, kept while code still includes it.
#include "export/save_dialog_posix.hpp"
