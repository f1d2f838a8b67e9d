#include "platform/error.hpp"

namespace cvn {

Error::Error(int32_t number, const std::string& description)
    : std::runtime_error(description), number_(number) {}

Error Error::withDetail(int32_t number, std::string_view detail) {
  std::string text(standardDescription(number));
  if (!detail.empty()) {
    text += ": ";
    text += detail;
  }
  return Error(number, text);
}

std::string_view standardDescription(int32_t number) {
  switch (number) {
    case kInvalidArgument:
      return "Invalid procedure call or argument";
    case kOverflow:
      return "Overflow";
    case kOutOfMemory:
      return "Out of memory";
    case kSubscriptOutOfRange:
      return "Subscript out of range";
    case kTypeMismatch:
      return "Type mismatch";
    case kFileNotFound:
      return "File not found";
    case kPermissionDenied:
      return "Permission denied";
    case kPathFileAccessError:
      return "Path/File access error";
    case kPathNotFound:
      return "Path not found";
    case kInvalidUseOfNull:
      return "Invalid use of Null";
    default:
      return "Application-defined or object-defined error";
  }
}

void raise(int32_t number) {
  throw Error::withDetail(number, {});
}

void raise(int32_t number, std::string_view detail) {
  throw Error::withDetail(number, detail);
}

}  // namespace cvn
