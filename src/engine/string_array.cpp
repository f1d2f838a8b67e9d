#include "engine/string_array.hpp"

#include "platform/error.hpp"

namespace cvn {

StringArray::StringArray(int32_t lower, int32_t upper)
    : allocated_(true), lower_(lower), upper_(upper) {
  const int64_t count = static_cast<int64_t>(upper) - lower + 1;
  if (count > 0) items_.resize(static_cast<size_t>(count));
}

StringArray StringArray::fromVector(std::vector<std::u16string> items) {
  if (items.size() > static_cast<size_t>(INT32_MAX)) raise(kOverflow);
  StringArray array;
  array.allocated_ = true;
  array.lower_ = 0;
  array.upper_ = static_cast<int32_t>(items.size()) - 1;
  array.items_ = std::move(items);
  return array;
}

int32_t StringArray::lowerBound() const {
  if (!allocated_) raise(kSubscriptOutOfRange);
  return lower_;
}

int32_t StringArray::upperBound() const {
  if (!allocated_) raise(kSubscriptOutOfRange);
  return upper_;
}

std::u16string& StringArray::at(int32_t index) {
  if (!allocated_ || index < lower_ || index > upper_) raise(kSubscriptOutOfRange);
  return items_[static_cast<size_t>(static_cast<int64_t>(index) - lower_)];
}

const std::u16string& StringArray::at(int32_t index) const {
  return const_cast<StringArray*>(this)->at(index);
}

}  // namespace cvn
