#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cvn {

// An array of strings as the interface passes it: explicit lower and upper
// bounds (the upper bound may lie below the lower one for an empty array, and
// below 0), or no bounds at all when it was never dimensioned. Elements start
// as "".
class StringArray {
 public:
  StringArray() = default;  // never given bounds
  StringArray(int32_t lower, int32_t upper);
  // Bounds 0 to size - 1.
  static StringArray fromVector(std::vector<std::u16string> items);

  bool isAllocated() const noexcept { return allocated_; }
  // Both fail with the subscript-out-of-range error on an array without bounds.
  int32_t lowerBound() const;
  int32_t upperBound() const;
  int64_t size() const noexcept { return static_cast<int64_t>(items_.size()); }

  // Fails with the subscript-out-of-range error outside the bounds.
  std::u16string& at(int32_t index);
  const std::u16string& at(int32_t index) const;

  const std::vector<std::u16string>& items() const noexcept { return items_; }

  friend bool operator==(const StringArray&, const StringArray&) = default;

 private:
  bool allocated_ = false;
  int32_t lower_ = 0;
  int32_t upper_ = -1;
  std::vector<std::u16string> items_;
};

}  // namespace cvn
