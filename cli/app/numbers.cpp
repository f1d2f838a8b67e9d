#include "app/numbers.hpp"

#include <fmt/format.h>

#include <charconv>
#include <limits>
#include <string>

#include "app/failure.hpp"
#include "platform/error.hpp"

namespace cvn::cli {
namespace {

template <typename T>
T parseOption(std::string_view option, std::string_view text) {
  const auto notANumber = [&] {
    return Error(kTypeMismatch, fmt::format("{} must be a whole number: {}", option, text));
  };
  const bool hasSign = text.starts_with('+') || text.starts_with('-');
  const std::string_view magnitude = hasSign ? text.substr(1) : text;
  if (magnitude.empty() || magnitude.find_first_not_of("0123456789") != std::string_view::npos) {
    throw notANumber();
  }
  // from_chars takes a leading "-" but not "+".
  const std::string_view digits = text.starts_with('+') ? magnitude : text;
  int64_t value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec == std::errc::result_out_of_range || value < std::numeric_limits<T>::min() ||
      value > std::numeric_limits<T>::max()) {
    throw Error(kOverflow,
                fmt::format("{} must be from {} to {}: {}", option, std::numeric_limits<T>::min(),
                            std::numeric_limits<T>::max(), text));
  }
  if (ec != std::errc() || end != digits.data() + digits.size()) throw notANumber();
  return static_cast<T>(value);
}

}  // namespace

int16_t parseInt16Option(std::string_view option, std::string_view text) {
  return parseOption<int16_t>(option, text);
}

int32_t parseInt32Option(std::string_view option, std::string_view text) {
  return parseOption<int32_t>(option, text);
}

int64_t parseRunIdOption(std::string_view option, std::string_view text) {
  int64_t run = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), run);
  if (error != std::errc() || end != text.data() + text.size() || run < 1) {
    throw CommandError(fmt::format("{} {}: a run id is a whole number, 1 or more", option, text));
  }
  return run;
}

}  // namespace cvn::cli
