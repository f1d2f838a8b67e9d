#pragma once

#include <cstdint>
#include <string>

#include "platform/error.hpp"

namespace cvn::test {

// The number of the cvn::Error a call throws, or 0 when it succeeds.
template <typename Call>
int32_t errorNumberOf(Call&& call, std::string* description = nullptr) {
  try {
    call();
  } catch (const Error& e) {
    if (description != nullptr) *description = e.description();
    return e.number();
  }
  return 0;
}

}  // namespace cvn::test
