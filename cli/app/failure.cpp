#include "app/failure.hpp"

#include <fmt/format.h>

#include "platform/error.hpp"

namespace cvn::cli {
namespace {

// What the component's standard descriptions say, in the words of someone at a terminal.
std::string_view plainWords(int32_t number) {
  switch (number) {
    case kInvalidArgument:
      return "";  // what follows says what is wrong
    case kOverflow:
      return "out of range";
    case kOutOfMemory:
      return "not enough memory";
    case kTypeMismatch:
      return "not a number";
    case kFileNotFound:
      return "no such file";
    case kPermissionDenied:
      return "permission denied";
    case kPathFileAccessError:
      return "cannot read or write";
    case kPathNotFound:
      return "no such folder";
    default:
      return standardDescription(number);
  }
}

}  // namespace

std::string plainDescription(int32_t number, std::string_view description) {
  const std::string_view standard = standardDescription(number);
  if (!description.starts_with(standard)) return std::string(description);
  std::string_view rest = description.substr(standard.size());
  const std::string_view words = plainWords(number);
  if (rest.starts_with(": ") && words.empty()) rest.remove_prefix(2);
  return std::string(words) + std::string(rest);
}

std::string escapeControls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      out += fmt::format("\\x{:02X}", byte);
    } else {
      out += c;
    }
  }
  return out;
}

std::string failureLine(const std::exception& failure) {
  if (const auto* error = dynamic_cast<const Error*>(&failure)) {
    return escapeControls(fmt::format("cvn: error {}: {}", error->number(),
                                      plainDescription(error->number(), error->description())));
  }
  return escapeControls(fmt::format("cvn: {}", failure.what()));
}

}  // namespace cvn::cli
