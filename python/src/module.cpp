#include <pybind11/pybind11.h>

#include <exception>

#include "app/failure.hpp"
#include "bindings.hpp"
#include "platform/error.hpp"

namespace py = pybind11;

namespace cvn::python {

std::shared_mutex& fileSystemLock() {
  static std::shared_mutex lock;
  return lock;
}

void registerErrors() {
  py::register_exception_translator([](std::exception_ptr failure) {
    if (!failure) return;
    py::object number = py::none();
    std::string line;
    try {
      std::rethrow_exception(failure);
    } catch (const Error& error) {
      number = py::int_(error.number());
      line = cli::failureLine(error);
    } catch (const py::error_already_set&) {
      throw;
    } catch (const py::builtin_exception&) {
      throw;
    } catch (const std::bad_alloc&) {
      throw;
    } catch (const std::exception& other) {
      // Options the command checks itself and database failures: no number.
      line = cli::failureLine(other);
    }
    const py::object made = py::module_::import("cvn._errors").attr("make")(number, line);
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(made.ptr())), made.ptr());
  });
}

}  // namespace cvn::python

PYBIND11_MODULE(_cvn, module) {
  module.doc() = "The comparer library, as the cvn package calls it";
  cvn::python::registerErrors();
  cvn::python::bindComparison(module);
  cvn::python::bindClasses(module);
}
