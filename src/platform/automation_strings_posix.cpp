// SysAllocString and its kin where no system library provides them.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/automation.h"

// BSTR: a 4-byte byte count, then the UTF-16 units and a NUL; the pointer
// handed out points at the first unit.

namespace {

constexpr size_t kPrefix = sizeof(uint32_t);

char* blockOf(BSTR text) {
  return reinterpret_cast<char*>(text) - kPrefix;
}

}  // namespace

extern "C" BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
  // The byte count must fit the 32-bit prefix.
  if (ui > (UINT32_MAX - kPrefix - sizeof(OLECHAR)) / sizeof(OLECHAR)) return nullptr;
  const size_t bytes = static_cast<size_t>(ui) * sizeof(OLECHAR);
  auto* block = static_cast<char*>(std::malloc(kPrefix + bytes + sizeof(OLECHAR)));
  if (block == nullptr) return nullptr;
  const auto count = static_cast<uint32_t>(bytes);
  std::memcpy(block, &count, kPrefix);
  auto* text = reinterpret_cast<OLECHAR*>(block + kPrefix);
  if (strIn != nullptr) {
    std::memcpy(text, strIn, bytes);
  } else {
    std::memset(text, 0, bytes);
  }
  text[ui] = 0;
  return text;
}

extern "C" BSTR SysAllocString(const OLECHAR* psz) {
  if (psz == nullptr) return nullptr;
  size_t length = 0;
  while (psz[length] != 0) ++length;
  if (length > UINT32_MAX) return nullptr;
  return SysAllocStringLen(psz, static_cast<UINT>(length));
}

extern "C" void SysFreeString(BSTR bstrString) {
  if (bstrString != nullptr) std::free(blockOf(bstrString));
}

extern "C" UINT SysStringLen(BSTR pbstr) {
  if (pbstr == nullptr) return 0;
  uint32_t bytes = 0;
  std::memcpy(&bytes, blockOf(pbstr), kPrefix);
  return bytes / sizeof(OLECHAR);
}
