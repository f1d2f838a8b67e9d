#pragma once

#include <string_view>

namespace cvn {

// Case-insensitive comparison of names that only ASCII letters fold in:
// interface names, registry keys, language keys and file suffixes.
template <typename Char>
constexpr Char asciiLower(Char ch) {
  return ch >= Char('A') && ch <= Char('Z') ? static_cast<Char>(ch - Char('A') + Char('a')) : ch;
}

template <typename Char>
constexpr bool equalIgnoringAsciiCase(std::basic_string_view<Char> a,
                                      std::basic_string_view<Char> b) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k) {
    if (asciiLower(a[k]) != asciiLower(b[k])) return false;
  }
  return true;
}

constexpr bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return equalIgnoringAsciiCase<char>(a, b);
}
constexpr bool equalIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  return equalIgnoringAsciiCase<char16_t>(a, b);
}

}  // namespace cvn
