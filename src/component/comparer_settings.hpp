#pragma once

#include <cstdint>
#include <string>

namespace cvn {

// The comparison settings of a comparer object, for C++ hosts and tests that
// call the per-file methods without a directory comparison first.
struct ComparerSettings {
  int32_t sessionID = 0;
  std::u16string commentChar;
  std::u16string multiBegComm;
  std::u16string multiEndComm;
  int16_t diffThershold = 0;
  int16_t optThree = 0;
};

}  // namespace cvn
