#include "engine/changed_line.hpp"

#include <array>
#include <cstdlib>
#include <unordered_map>

#include "platform/codepage.hpp"

namespace cvn {

int16_t determineChangedLine(std::u16string_view string1, std::u16string_view string2,
                             int16_t diffThershold) {
  std::array<int64_t, 256> counts{};
  for (char16_t ch : string1) ++counts[cp1252CodeOf(ch)];
  for (char16_t ch : string2) --counts[cp1252CodeOf(ch)];
  int64_t distance = 0;
  for (int64_t difference : counts) {
    distance += std::llabs(difference);
    if (distance > diffThershold) return 0;
  }
  return -1;
}

int16_t determineChangedLine_old(std::u16string_view string1, std::u16string_view string2,
                                 int16_t diffThershold) {
  // Characters are told apart by their code unit, not by a code page.
  std::unordered_map<char16_t, int64_t> counts;
  for (char16_t ch : string1) ++counts[ch];
  for (char16_t ch : string2) --counts[ch];
  int64_t distance = 0;
  for (const auto& [ch, difference] : counts) distance += std::llabs(difference);
  return distance <= diffThershold ? 1 : 0;
}

}  // namespace cvn
