#pragma once

#include <string>
#include <string_view>

namespace cvn {

// Upper-cases one UTF-16 code unit with the simple Unicode mapping; a
// character whose capital takes more than one character (such as U+00DF)
// stays as it is. Independent of the machine's locale.
char16_t toUpperSimple(char16_t ch) noexcept;

std::u16string toUpperSimple(std::u16string_view text);

}  // namespace cvn
