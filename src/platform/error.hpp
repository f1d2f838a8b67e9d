#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace cvn {

// The classic error numbers that a failed call carries.
enum ErrorNumber : int32_t {
  kInvalidArgument = 5,
  kOverflow = 6,
  kOutOfMemory = 7,
  kSubscriptOutOfRange = 9,
  kTypeMismatch = 13,
  kFileNotFound = 53,
  kPermissionDenied = 70,
  kPathFileAccessError = 75,
  kPathNotFound = 76,
  kInvalidUseOfNull = 94,
};

// A failed call: its number and a description (UTF-8) that names what is at fault.
class Error : public std::runtime_error {
 public:
  Error(int32_t number, const std::string& description);
  // The standard text of the number, optionally followed by ": " and a detail
  // such as the path at fault.
  static Error withDetail(int32_t number, std::string_view detail);

  int32_t number() const noexcept { return number_; }
  const char* description() const noexcept { return what(); }

 private:
  int32_t number_;
};

// The standard description of an error number ("Overflow", "File not found", ...).
std::string_view standardDescription(int32_t number);

[[noreturn]] void raise(int32_t number);
[[noreturn]] void raise(int32_t number, std::string_view detail);

}  // namespace cvn
