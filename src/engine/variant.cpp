#include "engine/variant.hpp"

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "platform/checked.hpp"
#include "platform/error.hpp"

namespace cvn {
namespace {

std::u16string widenAscii(std::string_view text) {
  return std::u16string(text.begin(), text.end());
}

// Reads numeric text ("  -12.5 ", "1e3") as a double; anything else, "nan" and
// "inf" included, is a type mismatch. Every numeric argument given as text
// comes through here.
double parseNumber(const std::u16string& text) {
  std::string ascii;
  for (char16_t ch : text) {
    if (ch > 0x7F) raise(kTypeMismatch);
    ascii += static_cast<char>(ch);
  }
  const auto first = ascii.find_first_not_of(" \t");
  const auto last = ascii.find_last_not_of(" \t");
  if (first == std::string::npos) raise(kTypeMismatch);
  std::string_view number(ascii.data() + first, last - first + 1);
  // from_chars takes a leading "-" only.
  if (number.starts_with('+') && !number.starts_with("+-")) number.remove_prefix(1);
  double value = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec != std::errc() || end != number.data() + number.size()) raise(kTypeMismatch);
  // from_chars also reads "nan", "inf" and "infinity", in any case.
  if (!std::isfinite(value)) raise(kTypeMismatch);
  return value;
}

// Rounds half to even, as automation conversions to integers do.
int64_t roundToInteger(double value) {
  if (!std::isfinite(value) || std::fabs(value) > 9.0e18) raise(kOverflow);
  return static_cast<int64_t>(std::nearbyint(value));
}

}  // namespace

std::u16string formatDouble(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return widenAscii(std::string_view(buffer, result.ptr - buffer));
}

std::u16string Variant::toText() const {
  switch (type()) {
    case Type::Empty:
      return u"";
    case Type::Null:
      raise(kInvalidUseOfNull);
    case Type::Boolean:
      return boolValue() ? u"True" : u"False";
    case Type::Int16:
      return widenAscii(std::to_string(int16Value()));
    case Type::Int32:
      return widenAscii(std::to_string(int32Value()));
    case Type::Double:
      return formatDouble(doubleValue());
    case Type::String:
      return stringValue();
  }
  raise(kTypeMismatch);
}

int32_t Variant::toInt32() const {
  switch (type()) {
    case Type::Empty:
      return 0;
    case Type::Null:
      raise(kInvalidUseOfNull);
    case Type::Boolean:
      return boolValue() ? -1 : 0;
    case Type::Int16:
      return int16Value();
    case Type::Int32:
      return int32Value();
    case Type::Double:
      return checkedNarrow<int32_t>(roundToInteger(doubleValue()));
    case Type::String:
      return checkedNarrow<int32_t>(roundToInteger(parseNumber(stringValue())));
  }
  raise(kTypeMismatch);
}

double Variant::toDouble() const {
  switch (type()) {
    case Type::Empty:
      return 0;
    case Type::Null:
      raise(kInvalidUseOfNull);
    case Type::Boolean:
      return boolValue() ? -1 : 0;
    case Type::Int16:
      return int16Value();
    case Type::Int32:
      return int32Value();
    case Type::Double:
      return doubleValue();
    case Type::String:
      return parseNumber(stringValue());
  }
  raise(kTypeMismatch);
}

int16_t Variant::toInt16() const {
  return checkedNarrow<int16_t>(toInt32());
}

}  // namespace cvn
