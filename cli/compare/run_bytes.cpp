#include "compare/run_bytes.hpp"

#include <sys/stat.h>

#include "platform/utf.hpp"

namespace cvn::cli {

RunBytes::RunBytes(const RunPlan& plan, std::u16string oldRoot, std::u16string newRoot)
    : oldRoot_(std::move(oldRoot)), newRoot_(std::move(newRoot)) {
  for (const PlannedRun& run : plan.runs) {
    uint64_t total = 0;
    for (const auto* files : {&run.oldFiles, &run.newFiles}) {
      for (const std::u16string& file : *files) {
        struct stat st {};
        const uint64_t size = ::stat(utf16ToUtf8(file).c_str(), &st) == 0 && st.st_size > 0
                                  ? static_cast<uint64_t>(st.st_size)
                                  : 0;
        sizes_.emplace(file, size);
        total += size;
      }
    }
    totals_.push_back(total);
  }
}

uint64_t RunBytes::sizeOf(const std::u16string& file) const {
  const auto found = sizes_.find(file);
  return found != sizes_.end() ? found->second : 0;
}

uint64_t RunBytes::ofFile(const std::u16string& file) const {
  uint64_t bytes = sizeOf(file);
  if (file.starts_with(oldRoot_) && file.size() > oldRoot_.size()) {
    bytes += sizeOf(newRoot_ + file.substr(oldRoot_.size()));
  }
  return bytes;
}

}  // namespace cvn::cli
