#include "compare/storable_text.hpp"

#include <fmt/format.h>

#include <string>

#include "platform/utf.hpp"

namespace cvn::cli {
namespace {

// File name bytes that are not UTF-8 travel as the lone surrogates U+DC80-U+DCFF.
bool holdsRawBytes(std::u16string_view text) {
  for (size_t k = 0; k < text.size(); ++k) {
    const char16_t unit = text[k];
    if (unit >= 0xD800 && unit <= 0xDBFF && k + 1 < text.size() && text[k + 1] >= 0xDC00 &&
        text[k + 1] <= 0xDFFF) {
      ++k;  // a pair: one character beyond the first plane
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

[[noreturn]] void refuse(const Storage& storage, std::string_view what, std::string_view text) {
  throw StorageError(fmt::format("cannot write database {}: {} {} is not valid UTF-8",
                                 storage.name(), what, text));
}

void checkName(const Storage& storage, const std::u16string& path) {
  if (holdsRawBytes(path)) refuse(storage, "the name", utf16ToUtf8(path));
}

void checkValue(const Storage& storage, std::string_view what, std::string_view value) {
  if (holdsRawBytes(utf8ToUtf16(value))) refuse(storage, what, value);
}

}  // namespace

void checkStorable(const Storage& storage, const ComparisonSettings& settings, const RunPlan& plan,
                   const std::vector<RunRecord>& records) {
  if (!storage.requiresUtf8()) return;
  checkName(storage, settings.oldRoot);
  checkName(storage, settings.newRoot);
  for (const PlannedRun& run : plan.runs) {
    for (const auto* files : {&run.oldFiles, &run.newFiles}) {
      for (const std::u16string& file : *files) checkName(storage, file);
    }
  }
  for (const RunRecord& record : records) {
    checkValue(storage, "the comment marker", record.commentChar);
    checkValue(storage, "the comment marker", record.multiBegComm);
    checkValue(storage, "the comment marker", record.multiEndComm);
    checkValue(storage, "the compare type", record.compareType);
    for (const auto* text : {&record.gitRepo, &record.oldRevision, &record.newRevision}) {
      if (*text) checkValue(storage, "the git repository or revision", **text);
    }
  }
}

}  // namespace cvn::cli
