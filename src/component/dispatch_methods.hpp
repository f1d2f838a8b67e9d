#pragma once

#include "component/corvane.hpp"
#include "component/corvane_old.hpp"
#include "component/dispatch_arguments.hpp"
#include "component/method_table.hpp"
#include "engine/variant.hpp"

namespace cvn::automation {

// Calls the method of the table entry on the object with the bound arguments
// and returns its result (Empty for a method without one). Arguments are read
// in interface order, so the first bad one is the one reported; by-reference
// arguments are written back, also when the method fails. Throws what the
// method throws (cvn::Error) and InvokeFailure for an argument that cannot be
// converted.
Variant invokeMethod(Corvane& comparer, const MethodInfo& method, Arguments& args);
Variant invokeMethod(Corvane_old& comparer, const MethodInfo& method, Arguments& args);

}  // namespace cvn::automation
