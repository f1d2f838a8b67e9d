#include "export/out_dialog.hpp"

#include <cstring>

namespace cvn::cli {

OutDialog::OutDialog(std::string path) : path_(std::move(path)) {
  // The component trims leading spaces from the dialog's answer; "./" keeps them.
  if (path_.starts_with(' ')) path_ = "./" + path_;
}

int32_t OutDialog::operator()(Module1::OPENFILENAME& ofn) {
  if (ofn.lpstrFile == nullptr || ofn.nMaxFile <= 0 ||
      path_.size() >= static_cast<size_t>(ofn.nMaxFile)) {
    didNotFit_ = true;
    return 0;
  }
  std::memcpy(ofn.lpstrFile, path_.data(), path_.size());
  ofn.lpstrFile[path_.size()] = '\0';
  return 1;
}

}  // namespace cvn::cli
