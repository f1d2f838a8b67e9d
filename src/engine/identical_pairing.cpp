#include "engine/identical_pairing.hpp"

#include <bit>
#include <functional>
#include <vector>

namespace cvn {
namespace {

// Distinct texts of the new lines, each with the queue of its unpaired
// positions in file order. Taking from the front of a text's queue gives
// exactly the first unpaired identical line.
class NewLineQueues {
 public:
  explicit NewLineQueues(std::span<const std::string_view> lines, std::span<const uint8_t> paired)
      : lines_(lines) {
    const size_t capacity = std::bit_ceil(std::max<size_t>(16, lines.size() * 2));
    slots_.assign(capacity, -1);
    mask_ = capacity - 1;
    std::vector<int32_t> idOfLine(lines.size(), -1);
    for (size_t j = 0; j < lines.size(); ++j) {
      if (paired[j] == 0) idOfLine[j] = findOrAdd(lines[j], j);
    }
    // Queues laid out back to back: the positions of text id start at start_[id].
    std::vector<int32_t> count(representative_.size() + 1, 0);
    for (int32_t id : idOfLine) {
      if (id >= 0) ++count[static_cast<size_t>(id) + 1];
    }
    start_.assign(count.size(), 0);
    for (size_t id = 1; id < count.size(); ++id) start_[id] = start_[id - 1] + count[id];
    next_.assign(start_.begin(), start_.end() - 1);
    positions_.resize(static_cast<size_t>(start_.back()));
    std::vector<int32_t> fill(next_);
    for (size_t j = 0; j < lines.size(); ++j) {
      const int32_t id = idOfLine[j];
      if (id >= 0)
        positions_[static_cast<size_t>(fill[static_cast<size_t>(id)]++)] = static_cast<int32_t>(j);
    }
  }

  // The first unpaired new line with this text, taken off its queue; -1 when none.
  int32_t take(std::string_view text) {
    const int32_t id = find(text);
    if (id < 0 || next_[static_cast<size_t>(id)] == start_[static_cast<size_t>(id) + 1]) return -1;
    return positions_[static_cast<size_t>(next_[static_cast<size_t>(id)]++)];
  }

 private:
  int32_t find(std::string_view text) const {
    for (size_t slot = hash(text) & mask_;; slot = (slot + 1) & mask_) {
      const int32_t id = slots_[slot];
      if (id < 0) return -1;
      if (representative_[static_cast<size_t>(id)] == text) return id;
    }
  }

  int32_t findOrAdd(std::string_view text, size_t line) {
    for (size_t slot = hash(text) & mask_;; slot = (slot + 1) & mask_) {
      const int32_t id = slots_[slot];
      if (id < 0) {
        slots_[slot] = static_cast<int32_t>(representative_.size());
        representative_.push_back(lines_[line]);
        return slots_[slot];
      }
      if (representative_[static_cast<size_t>(id)] == text) return id;
    }
  }

  static size_t hash(std::string_view text) { return std::hash<std::string_view>{}(text); }

  std::span<const std::string_view> lines_;
  std::vector<int32_t> slots_;
  size_t mask_ = 0;
  std::vector<std::string_view> representative_;
  std::vector<int32_t> start_;
  std::vector<int32_t> next_;
  std::vector<int32_t> positions_;
};

}  // namespace

int64_t pairIdenticalLines(std::span<const std::string_view> oldLines,
                           std::span<const std::string_view> newLines, std::span<uint8_t> oldPaired,
                           std::span<uint8_t> newPaired) {
  if (oldLines.empty() || newLines.empty()) return 0;
  NewLineQueues queues(newLines, newPaired);
  int64_t pairs = 0;
  for (size_t i = 0; i < oldLines.size(); ++i) {
    if (oldPaired[i] != 0) continue;
    const int32_t j = queues.take(oldLines[i]);
    if (j < 0) continue;
    oldPaired[i] = 1;
    newPaired[static_cast<size_t>(j)] = 1;
    ++pairs;
  }
  return pairs;
}

}  // namespace cvn
