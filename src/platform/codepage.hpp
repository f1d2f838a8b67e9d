#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cvn {

// The system's single-byte code page, fixed to Windows-1252 so that results
// never depend on the machine's locale. The mapping is one-to-one: every byte
// decodes to its own character, so byte equality is text equality.
char16_t decodeCp1252(unsigned char byte) noexcept;

// The byte of a character, or nothing when the code page has no code for it.
std::optional<unsigned char> encodeCp1252(char16_t ch) noexcept;

// A character's 8-bit code as the platform converts it: "?" (0x3F) when the
// code page has none.
unsigned char cp1252CodeOf(char16_t ch) noexcept;

std::u16string decodeCp1252(std::string_view bytes);

// Text to bytes; characters without a code become "?".
std::string encodeCp1252Lossy(std::u16string_view text);

// Text to bytes, or nothing when a character has no code (such text can never
// occur in decoded file content).
std::optional<std::string> encodeCp1252Exact(std::u16string_view text);

}  // namespace cvn
