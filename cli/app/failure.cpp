#include "app/failure.hpp"

#include <fmt/format.h>

#include "platform/error.hpp"

namespace cvn::cli {

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
    return escapeControls(fmt::format("cvn: error {}: {}", error->number(), error->description()));
  }
  return escapeControls(fmt::format("cvn: {}", failure.what()));
}

}  // namespace cvn::cli
