#pragma once

// What every fuzz target shares: its checks and its input.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

#include "platform/codepage.hpp"

namespace cvn::fuzz {

// A broken invariant: say which and abort, so that libFuzzer keeps the input as a crash.
[[noreturn]] inline void checkFailed(const char* file, int line, const char* condition) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
  std::abort();
}
#define CVN_FUZZ_CHECK(c) ((c) ? void() : ::cvn::fuzz::checkFailed(__FILE__, __LINE__, #c))

// The fuzzer's bytes, read front to back; past the end every read gives 0.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(reinterpret_cast<const char*>(data), size) {}

  bool empty() const { return data_.empty(); }
  uint8_t byte() {
    const auto b = static_cast<uint8_t>(data_.empty() ? 0 : data_.front());
    data_.remove_prefix(data_.empty() ? 0 : 1);
    return b;
  }
  uint32_t u32() {
    uint32_t value = 0;
    for (int k = 0; k < 32; k += 8) value |= uint32_t{byte()} << k;
    return value;
  }
  std::string_view rest() { return std::exchange(data_, {}); }

  // Mostly small, so that similar lines occur; sometimes any 16-bit value.
  int16_t threshold() {
    const uint8_t b = byte();
    return static_cast<int16_t>(b < 0xF0 ? b % 48 - 2 : u32());
  }

  // One character a byte: the code page's own, and from the top bytes characters it has no
  // code for (all sharing the code of "?"), lone surrogates and any 16-bit unit.
  char16_t character(uint8_t b) {
    constexpr char16_t kTop[] = {u'\u0080', u'\u0100', u'\u4E2D', 0xDC80, 0xD800, u'\uFFFF', u'?'};
    return b < 0xF8 ? decodeCp1252(b) : b < 0xFF ? kTop[b - 0xF8] : static_cast<char16_t>(u32());
  }
  // A length byte (at most maxLength), then that many characters.
  std::u16string text(size_t maxLength) {
    std::u16string out(byte() % (maxLength + 1), u'\0');
    for (char16_t& c : out) c = character(byte());
    return out;
  }

 private:
  std::string_view data_;
};

}  // namespace cvn::fuzz
