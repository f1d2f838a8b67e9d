// The three statement builders with random values. A call either appends exactly one
// statement ending in ")|||", its text values escaped and written back, or fails with the
// error its first bad value calls for and leaves the list as it was.
// Input: calls, each a builder byte, a session byte and the values (a kind byte, then what the
// kind needs; missing ones are Empty).

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

#include "engine/statements.hpp"
#include "fuzz_input.hpp"
#include "support/error_number.hpp"

namespace cvn::fuzz {
namespace {

Variant value(Input& in) {
  static const char16_t* kPieces[] = {u"0", u"7", u" ", u"+", u"-", u".", u"'", u"|", u"|||"};
  static const double kDoubles[] = {-0.0, 2.5, 1e23, 0x1p53 + 1, HUGE_VAL, NAN, 5e-324};
  const uint8_t kind = in.byte();
  if (kind % 6 < 3)
    return kind % 6 == 0 ? Variant() : kind % 6 == 1 ? Variant::null() : Variant::boolean(kind & 8);
  if (kind % 6 == 3) return Variant(static_cast<int32_t>(in.u32()));
  if (kind % 6 == 4)
    return Variant(kind < 0xC0 ? kDoubles[in.byte() % 7] : std::bit_cast<float>(in.u32()));
  std::u16string text;
  for (size_t k = in.byte() % 12; k > 0 && !in.empty(); --k) {
    const uint8_t b = in.byte();
    text += b < 0xC0 ? std::u16string(kPieces[b % 9]) : std::u16string(1, in.character(b));
  }
  return Variant(text);
}

void call(Input& in, std::u16string& list) {
  constexpr size_t kCounts[] = {19, 11, 5};
  const size_t count = kCounts[in.byte() % 3];
  const auto session = static_cast<int32_t>(in.byte()) - 8;
  std::vector<Variant> values, original;
  std::vector<Variant*> pointers;
  for (size_t k = 0; k < count; ++k) values.push_back(value(in));
  for (Variant& v : values) original.push_back(v), pointers.push_back(&v);
  const std::vector<size_t> texts = count == 5 ? std::vector<size_t>{3, 4} : std::vector<size_t>{8};
  // The first bad text value decides the error (Null 13, "|||" 5); texts before it are escaped.
  int32_t expected = 0;
  size_t escaped = 0;
  for (; escaped < texts.size() && expected == 0; ++escaped) {
    const Variant& v = original[texts[escaped]];
    if (v.type() == Variant::Type::Null) expected = kTypeMismatch;
    if (v.type() != Variant::Type::Null && v.toText().find(u"|||") != std::u16string::npos)
      expected = kInvalidArgument;
  }
  escaped -= expected != 0;
  const std::u16string before = list;
  using P = Variant* const;
  const int32_t error = test::errorNumberOf([&] {
    if (count == 19) insertFileCompareResults(list, session, std::span<P, 19>(pointers));
    if (count == 11) insertLegacyFileCompareResults(list, session, std::span<P, 11>(pointers));
    if (count == 5) insertDirCompareResults(list, session, std::span<P, 5>(pointers));
  });
  // Then a value in a numeric position that is no whole number is 13.
  CVN_FUZZ_CHECK(expected != 0 ? error == expected : error == 0 || error == kTypeMismatch);
  for (size_t k = 0; k < count; ++k) {
    const size_t t = std::find(texts.begin(), texts.end(), k) - texts.begin();
    std::u16string quoted;
    for (char16_t c : t < escaped ? original[k].toText() : u"")
      quoted += c == u'\'' ? u"''" : std::u16string(1, c);
    CVN_FUZZ_CHECK(t < escaped ? values[k] == Variant(quoted)
                               : values[k].type() == original[k].type());
    CVN_FUZZ_CHECK(t >= escaped || error != 0 ||
                   list.find(u"'" + quoted + u"'") != std::u16string::npos);
  }
  const std::u16string added = list.substr(std::min(before.size(), list.size()));
  CVN_FUZZ_CHECK(list.starts_with(before) && (error != 0) == added.empty());
  CVN_FUZZ_CHECK(error != 0 ||
                 (added.find(u"|||") == added.size() - 3 && added.ends_with(u")|||")));
}

}  // namespace
}  // namespace cvn::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  cvn::fuzz::Input in(data, size);
  std::u16string list;
  for (int k = 0; k < 8 && !in.empty(); ++k) cvn::fuzz::call(in, list);
  return 0;
}
