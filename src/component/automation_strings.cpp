#include "component/automation_strings.hpp"

#include <cstdint>
#include <new>

namespace cvn::automation {

BSTR makeBstr(std::u16string_view text) {
  if (text.size() > UINT32_MAX) throw std::bad_alloc();
  BSTR result = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                  static_cast<UINT>(text.size()));
  if (result == nullptr) throw std::bad_alloc();
  return result;
}

std::u16string_view bstrView(BSTR text) noexcept {
  if (text == nullptr) return {};
  return {reinterpret_cast<const char16_t*>(text), SysStringLen(text)};
}

std::u16string_view olestrView(const OLECHAR* text) noexcept {
  if (text == nullptr) return {};
  return std::u16string_view(reinterpret_cast<const char16_t*>(text));
}

}  // namespace cvn::automation
