#include "platform/codepage.hpp"

#include <array>

namespace cvn {
namespace {

// Characters of the bytes 0x80-0x9F. The five bytes that Windows-1252 leaves
// undefined map to the C1 control of the same value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

}  // namespace

char16_t decodeCp1252(unsigned char byte) noexcept {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return static_cast<char16_t>(byte);
}

std::optional<unsigned char> encodeCp1252(char16_t ch) noexcept {
  if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return static_cast<unsigned char>(ch);
  for (unsigned i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == ch) return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

unsigned char cp1252CodeOf(char16_t ch) noexcept {
  return encodeCp1252(ch).value_or('?');
}

std::u16string decodeCp1252(std::string_view bytes) {
  std::u16string text(bytes.size(), u'\0');
  for (size_t i = 0; i < bytes.size(); ++i) {
    text[i] = decodeCp1252(static_cast<unsigned char>(bytes[i]));
  }
  return text;
}

std::string encodeCp1252Lossy(std::u16string_view text) {
  std::string bytes(text.size(), '\0');
  for (size_t i = 0; i < text.size(); ++i) bytes[i] = static_cast<char>(cp1252CodeOf(text[i]));
  return bytes;
}

std::optional<std::string> encodeCp1252Exact(std::u16string_view text) {
  std::string bytes(text.size(), '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    auto code = encodeCp1252(text[i]);
    if (!code) return std::nullopt;
    bytes[i] = static_cast<char>(*code);
  }
  return bytes;
}

}  // namespace cvn
