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

}  // namespace cvn::automation
