#include "component/method_table.hpp"

#include <algorithm>

#include "component/interface.hpp"
#include "platform/ascii.hpp"

namespace cvn {

std::span<const MethodInfo> corvaneMethods() {
  return kMethodInfos<Corvane>;
}
std::span<const MethodInfo> corvaneOldMethods() {
  return kMethodInfos<Corvane_old>;
}

const MethodInfo* findMethod(std::span<const MethodInfo> table, int32_t dispatchId) {
  auto it = std::find_if(table.begin(), table.end(),
                         [&](const MethodInfo& m) { return m.dispatchId == dispatchId; });
  return it == table.end() ? nullptr : &*it;
}

const MethodInfo* findMethod(std::span<const MethodInfo> table, std::u16string_view name) {
  auto it = std::find_if(table.begin(), table.end(),
                         [&](const MethodInfo& m) { return equalIgnoringAsciiCase(m.name, name); });
  return it == table.end() ? nullptr : &*it;
}

}  // namespace cvn
