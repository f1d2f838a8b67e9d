#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace cvn {

// A value at the interface as an automation caller passes it: empty, null, a
// Boolean, a 16- or 32-bit integer, a double or a string.
class Variant {
 public:
  enum class Type { Empty, Null, Boolean, Int16, Int32, Double, String };

  Variant() = default;
  Variant(int16_t value) : value_(value) {}
  Variant(int32_t value) : value_(value) {}
  Variant(double value) : value_(value) {}
  Variant(std::u16string value) : value_(std::move(value)) {}
  Variant(const char16_t* value) : value_(std::u16string(value)) {}
  static Variant null() { return Variant(NullTag{}); }
  static Variant boolean(bool value) { return Variant(BoolTag{value}); }

  Type type() const noexcept { return static_cast<Type>(value_.index()); }
  bool isEmpty() const noexcept { return type() == Type::Empty; }

  // The stored alternative; the caller checks type() first.
  bool boolValue() const { return std::get<BoolTag>(value_).value; }
  int16_t int16Value() const { return std::get<int16_t>(value_); }
  int32_t int32Value() const { return std::get<int32_t>(value_); }
  double doubleValue() const { return std::get<double>(value_); }
  const std::u16string& stringValue() const { return std::get<std::u16string>(value_); }

  // Coercions as an automation caller expects them: text to numbers, numbers
  // to text. A value that cannot be converted fails with the type-mismatch
  // error (text that is no finite decimal number, "nan" and "inf" included),
  // a number out of range with the overflow error, null with error 94.
  std::u16string toText() const;
  int32_t toInt32() const;
  int16_t toInt16() const;
  double toDouble() const;

  friend bool operator==(const Variant&, const Variant&) = default;

 private:
  struct NullTag {
    friend bool operator==(NullTag, NullTag) = default;
  };
  struct BoolTag {
    bool value;
    friend bool operator==(BoolTag, BoolTag) = default;
  };
  explicit Variant(NullTag tag) : value_(tag) {}
  explicit Variant(BoolTag tag) : value_(tag) {}

  std::variant<std::monostate, NullTag, BoolTag, int16_t, int32_t, double, std::u16string> value_;
};

// Formats a double with the shortest text that reads back as the same value.
std::u16string formatDouble(double value);

}  // namespace cvn
