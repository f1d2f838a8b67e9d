#include "platform/upper_case.hpp"

#include <algorithm>
#include <array>

namespace cvn {
namespace {

struct CaseRun {
  char16_t first;
  char16_t last;
  int stride;
  int delta;
};

constexpr CaseRun kRuns[] = {
#include "platform/upper_case_table.inc"
};

}  // namespace

char16_t toUpperSimple(char16_t ch) noexcept {
  if (ch < 0x61) return ch;
  if (ch <= 0x7A) return static_cast<char16_t>(ch - 32);
  const auto* run = std::upper_bound(std::begin(kRuns), std::end(kRuns), ch,
                                     [](char16_t c, const CaseRun& r) { return c < r.first; });
  if (run == std::begin(kRuns)) return ch;
  --run;
  if (ch > run->last || (ch - run->first) % run->stride != 0) return ch;
  return static_cast<char16_t>(ch + run->delta);
}

std::u16string toUpperSimple(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& ch : out) ch = toUpperSimple(ch);
  return out;
}

}  // namespace cvn
