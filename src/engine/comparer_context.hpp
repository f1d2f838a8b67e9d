#pragma once

#include <cstdint>
#include <string>

namespace cvn {

// The fields of a comparer object that its methods read and write: the
// settings of the last directory comparison and the statement list.
struct ComparerContext {
  int32_t& sessionID;
  std::u16string& commentChar;
  std::u16string& multiBegComm;
  std::u16string& multiEndComm;
  int16_t& diffThershold;
  std::u16string& strSQL;
};

}  // namespace cvn
