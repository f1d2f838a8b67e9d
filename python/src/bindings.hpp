#pragma once

#include <pybind11/pybind11.h>

#include <shared_mutex>

namespace cvn::python {

// The file system seam (platform/file_system.hpp) is one pointer for the whole process, and
// a git comparison installs its trees there while it runs. With the GIL released, Python
// threads would otherwise see each other's trees: folder work takes this lock shared, git
// comparisons exclusive.
std::shared_mutex& fileSystemLock();

// Raises the exception of cvn._errors for any failure of the library or of the command's code
// it reuses, with the line cvn prints for it.
void registerErrors();

void bindComparison(pybind11::module_& module);  // compare, count, find_language
void bindClasses(pybind11::module_& module);     // Corvane and Corvane_old

}  // namespace cvn::python
