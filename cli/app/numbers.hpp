#pragma once

#include <cstdint>
#include <string_view>

namespace cvn::cli {

// Integer options as the component takes them. Text that is not a whole decimal number
// is the type-mismatch error (13) and a number outside the type the overflow error (6),
// both naming the option and its text.
int16_t parseInt16Option(std::string_view option, std::string_view text);
int32_t parseInt32Option(std::string_view option, std::string_view text);

// A run id: a whole decimal number, 1 or more; anything else is a CommandError naming it.
int64_t parseRunIdOption(std::string_view option, std::string_view text);

}  // namespace cvn::cli
