#pragma once

#include <string>
#include <string_view>

#include "component/cvn_automation.h"

namespace cvn::automation {

// A new BSTR holding the text; throws std::bad_alloc when memory runs out.
BSTR makeBstr(std::u16string_view text);

// The text of a BSTR by its length prefix (embedded NULs included); null reads as "".
std::u16string_view bstrView(BSTR text) noexcept;

// A NUL-terminated OLE string as UTF-16 (OLECHAR is wchar_t on Windows); null reads as "".
std::u16string_view olestrView(const OLECHAR* text) noexcept;

// Owns one BSTR until it is released to a caller.
class BstrHolder {
 public:
  explicit BstrHolder(BSTR text = nullptr) noexcept : text_(text) {}
  ~BstrHolder() { SysFreeString(text_); }
  BstrHolder(const BstrHolder&) = delete;
  BstrHolder& operator=(const BstrHolder&) = delete;
  BSTR get() const noexcept { return text_; }
  BSTR release() noexcept {
    BSTR text = text_;
    text_ = nullptr;
    return text;
  }

 private:
  BSTR text_;
};

}  // namespace cvn::automation
