#pragma once

#include <string>
#include <string_view>

namespace cvn::cli {

// A folder of its own under the temporary folder ($TMPDIR or /tmp), named "cvn-PURPOSE-..."
// and removed with everything in it when the object goes.
class TemporaryFolder {
 public:
  explicit TemporaryFolder(std::string_view purpose);
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace cvn::cli
