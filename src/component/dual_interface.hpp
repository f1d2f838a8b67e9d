#pragma once

#include <span>

#include "component/cvn_automation.h"

namespace cvn::automation {

// A vtable entry of a dual interface, stored untyped: each entry has its own
// signature, which the caller knows from the type library.
using DualMethod = void (*)();

// The entries that follow IDispatch's seven in _Corvane and _Corvane_old, in
// interface order. Each one packs its arguments into variants (in/out ones by
// reference) and calls the object's own Invoke with the method's dispatch
// identifier, so both sides of the dual interface run the same code. A failed
// call returns the error's HRESULT (0x800A0000 + number for the component's
// errors) and, on Windows, sets the thread's error information.
// Instantiated for Corvane and Corvane_old.
template <typename C>
std::span<const DualMethod> dualMethods() noexcept;

}  // namespace cvn::automation
