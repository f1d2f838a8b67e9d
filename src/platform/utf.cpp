#include "platform/utf.hpp"

#include <cstdint>
#include <cstring>

namespace cvn {
namespace {

bool isContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence at the start of bytes, and its code point;
// 0 when the first byte does not start a valid sequence.
size_t decodeOne(std::string_view bytes, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(bytes[0]);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  size_t length;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2, cp = b0 & 0x1F, min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3, cp = b0 & 0x0F, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (!isContinuation(b)) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool isHigh(char16_t ch) {
  return ch >= 0xD800 && ch <= 0xDBFF;
}
bool isLow(char16_t ch) {
  return ch >= 0xDC00 && ch <= 0xDFFF;
}
bool isEscapedByte(char16_t ch) {
  return ch >= 0xDC80 && ch <= 0xDCFF;
}

// The end of the run of ASCII characters from `from`, looked at four at a time.
size_t asciiRunEnd(std::u16string_view text, size_t from) {
  size_t at = from;
  for (; at + 4 <= text.size(); at += 4) {
    uint64_t four;
    std::memcpy(&four, text.data() + at, sizeof four);
    if ((four & 0xFF80FF80FF80FF80u) != 0) break;
  }
  while (at < text.size() && text[at] < 0x80) ++at;
  return at;
}

// Shared by the exact and the lossy conversion; returns false on the first
// unmappable surrogate when lossy is false.
bool convert(std::u16string_view text, std::string& out, bool lossy) {
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    // Runs of ASCII, most of any path or statement, are copied in one go.
    size_t ascii = asciiRunEnd(text, i);
    if (ascii > i) {
      const size_t at = out.size();
      out.resize(at + (ascii - i));
      char* to = out.data() + at;
      const char16_t* from = text.data() + i;
      for (size_t k = 0; k < ascii - i; ++k) to[k] = static_cast<char>(from[k]);
      i = ascii - 1;
      continue;
    }
    const char16_t ch = text[i];
    if (isHigh(ch) && i + 1 < text.size() && isLow(text[i + 1])) {
      appendUtf8(out, 0x10000 + ((char32_t(ch) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
      ++i;
    } else if (isEscapedByte(ch)) {
      out += static_cast<char>(ch - 0xDC00);
    } else if (isHigh(ch) || isLow(ch)) {
      if (!lossy) return false;
      appendUtf8(out, 0xFFFD);
    } else {
      appendUtf8(out, ch);
    }
  }
  return true;
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    char32_t cp = 0;
    const size_t length = decodeOne(bytes, cp);
    if (length == 0) {
      out += static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(bytes[0]));
      bytes.remove_prefix(1);
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    bytes.remove_prefix(length);
  }
  return out;
}

std::optional<std::string> utf16ToUtf8Exact(std::u16string_view text) {
  std::string out;
  if (!convert(text, out, false)) return std::nullopt;
  return out;
}

std::string utf16ToUtf8(std::u16string_view text) {
  std::string out;
  convert(text, out, true);
  return out;
}

bool hasUnmappableSurrogate(std::u16string_view text) {
  std::string ignored;
  return !convert(text, ignored, false);
}

}  // namespace cvn
