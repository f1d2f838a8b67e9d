#pragma once

#include <cstdint>
#include <string>

#include "engine/line_folding.hpp"

namespace cvn {

// Everything a comparer object carries from one call to the next, in one place:
// the settings of the last directory comparison, the statement list and the
// working fields of the folder scan. The engine, tree and legacy code read and
// write it by reference; a fresh object starts with zeros and empty strings.
struct ComparerState {
  int32_t sessionID = 0;
  std::u16string commentChar{};
  std::u16string multiBegComm{};
  std::u16string multiEndComm{};
  int16_t diffThershold = 0;
  int16_t optThree = 0;  // stored and never read
  std::u16string strSQL{};
  std::u16string strFolderList{};  // folders found, each followed by a carriage return
  std::u16string strScanRoot{};
  int32_t blankInMultiComm = 0;  // kept by the legacy comment counter only
  LineFolding folding{};         // a setting of C++ hosts, outside the interface
};

}  // namespace cvn
