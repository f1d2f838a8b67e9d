#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "component/cvn_automation.h"

namespace cvn::automation {

bool sameGuid(const GUID& a, const GUID& b) noexcept;

// The registry form: "{D68FCFE0-4A2C-460D-917A-372579E49C74}".
std::string guidText(const GUID& guid);

// Reads the registry form (either case); nothing when it is malformed.
std::optional<GUID> parseGuid(std::string_view text);

}  // namespace cvn::automation
