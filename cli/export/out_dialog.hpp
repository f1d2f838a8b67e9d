#pragma once

#include <cstdint>
#include <string>

#include "export/module1.hpp"

namespace cvn::cli {

// The Save dialog's answer when --out gave the path: it fills the record's file buffer
// without showing anything. A path the buffer cannot hold is a cancel, remembered so that
// the command can say why.
class OutDialog {
 public:
  explicit OutDialog(std::string path);

  int32_t operator()(Module1::OPENFILENAME& ofn);
  bool pathDidNotFit() const { return didNotFit_; }
  size_t bytes() const { return path_.size(); }

 private:
  std::string path_;
  bool didNotFit_ = false;
};

}  // namespace cvn::cli
