#pragma once

#include "component/cvn_automation.h"

namespace cvn::automation {

// A new comparer object behind IDispatch (and its own dispatch interface) with
// one reference, or null when memory runs out.
IDispatch* newCorvaneObject() noexcept;
IDispatch* newCorvaneOldObject() noexcept;

}  // namespace cvn::automation
