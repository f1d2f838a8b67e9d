// The one definition of every GUID the header declares.
#define INITGUID
#include "component/automation_guids.hpp"

#include <cstdio>

namespace cvn::automation {

bool sameGuid(const GUID& a, const GUID& b) noexcept {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int k = 0; k < 8; ++k) {
    if (a.Data4[k] != b.Data4[k]) return false;
  }
  return true;
}

std::string guidText(const GUID& g) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(g.Data1), static_cast<unsigned>(g.Data2),
                static_cast<unsigned>(g.Data3), g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return buffer;
}

std::optional<GUID> parseGuid(std::string_view text) {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}: 38 characters, dashes at fixed places.
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
  uint8_t bytes[16];
  size_t next = 0;
  for (size_t at = 1; at < 37;) {
    if (at == 9 || at == 14 || at == 19 || at == 24) {
      if (text[at] != '-') return std::nullopt;
      ++at;
      continue;
    }
    int value = 0;
    for (int half = 0; half < 2; ++half) {
      const char ch = text[at++];
      int digit = 0;
      if (ch >= '0' && ch <= '9') {
        digit = ch - '0';
      } else if (ch >= 'a' && ch <= 'f') {
        digit = ch - 'a' + 10;
      } else if (ch >= 'A' && ch <= 'F') {
        digit = ch - 'A' + 10;
      } else {
        return std::nullopt;
      }
      value = value * 16 + digit;
    }
    bytes[next++] = static_cast<uint8_t>(value);
  }
  GUID guid{};
  guid.Data1 = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) |
               bytes[3];
  guid.Data2 = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
  guid.Data3 = static_cast<uint16_t>((bytes[6] << 8) | bytes[7]);
  for (int k = 0; k < 8; ++k) guid.Data4[k] = bytes[8 + k];
  return guid;
}

}  // namespace cvn::automation
