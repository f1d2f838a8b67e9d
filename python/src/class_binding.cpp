#include <fmt/format.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "bindings.hpp"
#include "component/interface.hpp"
#include "platform/utf.hpp"

namespace py = pybind11;

namespace pybind11::detail {

// An interface value: None (empty or null), bool, int, float or str.
template <>
struct type_caster<cvn::Variant> {
  PYBIND11_TYPE_CASTER(cvn::Variant, const_name("object"));

  bool load(handle source, bool) {
    if (source.is_none()) {
      value = cvn::Variant();
    } else if (PyBool_Check(source.ptr())) {
      value = cvn::Variant::boolean(source.ptr() == Py_True);
    } else if (PyLong_Check(source.ptr())) {
      int overflow = 0;
      const long long number = PyLong_AsLongLongAndOverflow(source.ptr(), &overflow);
      if (overflow == 0 && number >= INT32_MIN && number <= INT32_MAX) {
        value = cvn::Variant(static_cast<int32_t>(number));
      } else {
        value = cvn::Variant(PyLong_AsDouble(source.ptr()));
        if (PyErr_Occurred()) {
          PyErr_Clear();
          return false;
        }
      }
    } else if (PyFloat_Check(source.ptr())) {
      value = cvn::Variant(PyFloat_AsDouble(source.ptr()));
    } else if (PyUnicode_Check(source.ptr())) {
      value = cvn::Variant(source.cast<std::u16string>());
    } else {
      return false;
    }
    return true;
  }

  static handle cast(const cvn::Variant& v, return_value_policy, handle) {
    using T = cvn::Variant::Type;
    switch (v.type()) {
      case T::Boolean:
        return pybind11::bool_(v.boolValue()).release();
      case T::Int16:
        return pybind11::int_(v.int16Value()).release();
      case T::Int32:
        return pybind11::int_(v.int32Value()).release();
      case T::Double:
        return pybind11::float_(v.doubleValue()).release();
      case T::String:
        return pybind11::cast(v.stringValue()).release();
      case T::Empty:
      case T::Null:
        break;
    }
    return pybind11::none().release();
  }
};

// A string array: a list of str (bounds from 0), None for one never dimensioned.
template <>
struct type_caster<cvn::StringArray> {
  PYBIND11_TYPE_CASTER(cvn::StringArray, const_name("list[str]"));

  bool load(handle source, bool convert) {
    if (source.is_none()) {
      value = cvn::StringArray();
      return true;
    }
    make_caster<std::vector<std::u16string>> items;
    if (!items.load(source, convert)) return false;
    value = cvn::StringArray::fromVector(cast_op<std::vector<std::u16string>&&>(std::move(items)));
    return true;
  }

  static handle cast(const cvn::StringArray& array, return_value_policy, handle) {
    if (!array.isAllocated()) return pybind11::none().release();
    pybind11::list items;
    for (const std::u16string& item : array.items()) items.append(pybind11::cast(item));
    return items.release();
  }
};

}  // namespace pybind11::detail

namespace cvn::python {
namespace {

// Names and docstrings made at import: pybind11 keeps their pointers for the module's life.
const char* kept(std::string text) {
  static std::list<std::string> texts;
  return texts.emplace_back(std::move(text)).c_str();
}

// One object of a class for Python; calls on it from several threads take turns, as in the
// single-threaded apartment the classes were written for.
template <typename C>
struct Hosted {
  C object;
  std::mutex busy;
};

std::string_view typeName(ValueType type) {
  switch (type) {
    case ValueType::String:
      return "str";
    case ValueType::Int16:
    case ValueType::Int32:
      return "int";
    case ValueType::Variant:
      return "object";
    case ValueType::StringArray:
      return "list[str]";
    case ValueType::None:
      break;
  }
  return "None";
}

// The docstring: the signature, and the tuple that a method with in/out parameters returns.
std::string docstring(std::u16string_view className, const MethodInfo& method) {
  std::string params;
  std::string inOut;
  for (const ParamInfo& p : method.params) {
    params +=
        fmt::format("{}{}: {}", params.empty() ? "" : ", ", utf16ToUtf8(p.name), typeName(p.type));
    if (p.optional) {
      params += p.type == ValueType::String ? fmt::format(" = \"{}\"", utf16ToUtf8(p.defaultText))
                                            : fmt::format(" = {}", p.defaultNumber);
    }
    if (p.mode == ParamMode::InOut) inOut += ", " + utf16ToUtf8(p.name);
  }
  std::string doc =
      fmt::format("{}({}) -> {}\n\n_{}.{}, dispatch id {:#x}.", utf16ToUtf8(method.name), params,
                  typeName(method.result), utf16ToUtf8(className), utf16ToUtf8(method.name),
                  static_cast<uint32_t>(method.dispatchId));
  if (!inOut.empty()) {
    doc += fmt::format(
        " Returns the tuple (result{}): the in/out parameters as the method left them after its "
        "result (None for a method without one).",
        inOut);
  }
  return doc;
}

// A parameter's name and, for an optional one, the value it stands for.
template <typename A, typename C, size_t I, size_t K>
auto argument() {
  constexpr ParamInfo info = kMethod<C, I>.params[K];
  const std::string name = utf16ToUtf8(info.name);
  if constexpr (!info.optional) {
    return py::arg(kept(name));
  } else if constexpr (valueTypeOf<A>() == ValueType::String) {
    return py::arg(kept(name)) = std::u16string(info.defaultText);
  } else {
    return py::arg(kept(name)) = static_cast<std::remove_cvref_t<A>>(info.defaultNumber);
  }
}

template <typename C, size_t I, typename R, typename Class, typename... A, size_t... K>
void bindMethod(py::class_<Hosted<C>>& cls, R (Class::*member)(A...), std::index_sequence<K...>) {
  constexpr bool anyInOut = (kInOut<A> || ...);
  const MethodInfo info = kMethod<C, I>.info();
  const std::string name = utf16ToUtf8(info.name);
  cls.def(
      kept(name),
      [member](Hosted<C>& self, std::remove_cvref_t<A>... args) -> py::object {
        py::object result = py::none();
        if constexpr (std::is_void_v<R>) {
          py::gil_scoped_release released;
          const std::lock_guard turn(self.busy);
          const std::shared_lock files(fileSystemLock());
          (self.object.*member)(args...);
        } else {
          std::optional<R> value;
          {
            py::gil_scoped_release released;
            const std::lock_guard turn(self.busy);
            const std::shared_lock files(fileSystemLock());
            value = (self.object.*member)(args...);
          }
          result = py::cast(std::move(*value));
        }
        if constexpr (anyInOut) {
          py::list out;
          out.append(result);
          (
              [&] {
                if constexpr (kInOut<A>) out.append(py::cast(args));
              }(),
              ...);
          return py::tuple(out);
        } else {
          return result;
        }
      },
      argument<A, C, I, K>()..., kept(docstring(Interface<C>::identity.name, info)));
}

template <typename C>
void bindClass(py::module_& module, const char* doc) {
  const std::string name = utf16ToUtf8(Interface<C>::identity.name);
  // The docstrings carry the signatures as the interface names them.
  py::options options;
  options.disable_function_signatures();
  py::class_<Hosted<C>> cls(module, kept(name), doc);
  cls.def(py::init<>());
  [&]<size_t... I>(std::index_sequence<I...>) {
    (bindMethod<C, I>(cls, kMethod<C, I>.member,
                      std::make_index_sequence<kMethod<C, I>.params.size()>()),
     ...);
  }
  (std::make_index_sequence<kMethodCount<C>>());
}

// What the stub writer needs of one class: each method's parameters, modes and types.
py::list describe(std::span<const MethodInfo> methods) {
  py::list out;
  for (const MethodInfo& method : methods) {
    py::list params;
    for (const ParamInfo& p : method.params) {
      py::object fallback = py::none();
      if (p.optional) {
        fallback = p.type == ValueType::String ? py::object(py::cast(std::u16string(p.defaultText)))
                                               : py::object(py::int_(p.defaultNumber));
      }
      params.append(py::make_tuple(utf16ToUtf8(p.name), typeName(p.type),
                                   p.mode == ParamMode::InOut, p.optional, fallback));
    }
    out.append(py::make_tuple(utf16ToUtf8(method.name), params, typeName(method.result)));
  }
  return out;
}

}  // namespace

void bindClasses(py::module_& module) {
  bindClass<Corvane>(module, "The current comparer, with the methods of its automation interface.");
  bindClass<Corvane_old>(module,
                         "The legacy comparer, with the methods of its automation interface.");
  module.def("interface", [](const std::string& name) {
    return describe(name == "Corvane" ? corvaneMethods() : corvaneOldMethods());
  });
}

}  // namespace cvn::python
