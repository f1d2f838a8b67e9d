#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cvn {

// UTF-8 to UTF-16. A byte that is not part of valid UTF-8 becomes the lone
// surrogate U+DC00 + byte (0x80-0xFF give U+DC80-U+DCFF), so any byte string,
// such as a file name, survives the round trip through utf16ToUtf8Exact.
std::u16string utf8ToUtf16(std::string_view bytes);

// UTF-16 to UTF-8; a lone U+DC80-U+DCFF turns back into its byte. Any other
// lone surrogate has no UTF-8 form: the result is empty.
std::optional<std::string> utf16ToUtf8Exact(std::u16string_view text);

// As utf16ToUtf8Exact, writing U+FFFD for the lone surrogates it cannot carry.
std::string utf16ToUtf8(std::u16string_view text);

// True when the text holds a lone surrogate outside U+DC80-U+DCFF.
bool hasUnmappableSurrogate(std::u16string_view text);

}  // namespace cvn
