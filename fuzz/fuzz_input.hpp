#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/codepage.hpp"
#include "platform/utf.hpp"

namespace cvn::fuzz {

// A broken invariant: say which and abort, so that libFuzzer keeps the input
// as a crash artifact.
[[noreturn]] inline void checkFailed(const char* file, int line, const char* condition,
                                     const std::string& detail) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
  if (!detail.empty()) std::fprintf(stderr, "  %s\n", detail.c_str());
  std::fflush(stderr);
  std::abort();
}

#define CVN_FUZZ_CHECK(condition, detail)                                                 \
  do {                                                                                    \
    if (!(condition)) ::cvn::fuzz::checkFailed(__FILE__, __LINE__, #condition, (detail)); \
  } while (0)

// Text made printable for a failure message: UTF-8 with control characters and
// the surrogates that have no UTF-8 form escaped.
inline std::string show(std::u16string_view text) {
  std::string out = "\"";
  for (char16_t ch : text) {
    if (ch < 0x20 || ch == u'"' || ch == u'\\' || (ch >= 0xD800 && ch <= 0xDFFF)) {
      char buffer[12];
      std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(ch));
      out += buffer;
    } else {
      out += utf16ToUtf8(std::u16string_view(&ch, 1));
    }
  }
  return out + "\"";
}

inline std::string show(std::string_view bytes) {
  std::string out = "\"";
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b >= 0x7F || c == '"' || c == '\\') {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02X", static_cast<unsigned>(b));
      out += buffer;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// The fuzzer's bytes, read front to back; past the end every read gives 0, so
// every input decodes to something.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(reinterpret_cast<const char*>(data), size) {}

  bool empty() const { return data_.empty(); }
  size_t size() const { return data_.size(); }

  uint8_t byte() {
    if (data_.empty()) return 0;
    const auto b = static_cast<uint8_t>(data_.front());
    data_.remove_prefix(1);
    return b;
  }
  uint16_t u16() {
    const uint16_t low = byte();
    return static_cast<uint16_t>(low | (byte() << 8));
  }
  uint32_t u32() {
    const uint32_t low = u16();
    return low | (static_cast<uint32_t>(u16()) << 16);
  }
  uint64_t u64() {
    const uint64_t low = u32();
    return low | (static_cast<uint64_t>(u32()) << 32);
  }
  std::string_view bytes(size_t n) {
    const std::string_view taken = data_.substr(0, n);
    data_.remove_prefix(taken.size());
    return taken;
  }
  std::string_view rest() { return bytes(data_.size()); }

  // A threshold: mostly small, so that similar lines do occur; sometimes any 16-bit value.
  int16_t threshold() {
    const uint8_t b = byte();
    if (b < 0xF0) return static_cast<int16_t>(static_cast<int>(b % 48) - 2);
    return static_cast<int16_t>(u16());
  }

  // One character per byte: ASCII and the code page's characters as they are,
  // the top bytes for characters the code page has no code for (they all share
  // the code of "?"), lone surrogates, and any 16-bit unit.
  char16_t character() { return characterOf(byte()); }

  // The character of a byte already read (0xFF reads two more).
  char16_t characterOf(uint8_t b) {
    switch (b) {
      case 0xF8:
        return u'\u0080';  // no code: 0x80 is the euro sign's
      case 0xF9:
        return u'\u0100';
      case 0xFA:
        return u'\u4E2D';
      case 0xFB:
        return u'\xDC80';  // stands for the raw byte 0x80 in names
      case 0xFC:
        return u'\xD800';
      case 0xFD:
        return u'\uFFFF';
      case 0xFE:
        return u'?';
      case 0xFF:
        return static_cast<char16_t>(u16());
      default:
        return decodeCp1252(b);
    }
  }

  // A length byte (at most maxLength), then that many characters.
  std::u16string text(size_t maxLength) {
    const size_t length = byte() % (maxLength + 1);
    std::u16string out;
    for (size_t k = 0; k < length && !empty(); ++k) out += character();
    return out;
  }

 private:
  std::string_view data_;
};

}  // namespace cvn::fuzz
