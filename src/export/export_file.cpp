#include "export/export_file.hpp"

#include "platform/atomic_file.hpp"
#include "platform/codepage.hpp"
#include "platform/error.hpp"

namespace cvn {

std::u16string replaceLineMarks(std::u16string_view text) {
  constexpr std::u16string_view kMark = u"|||";
  std::u16string result;
  result.reserve(text.size());
  for (;;) {
    const auto mark = text.find(kMark);
    result += text.substr(0, mark);
    if (mark == std::u16string_view::npos) return result;
    result += u'\r';
    text.remove_prefix(mark + kMark.size());
  }
}

std::string exportBytes(std::u16string_view topheader, std::u16string_view topcontents,
                        std::u16string_view fileheader, std::u16string_view filecontents) {
  // Each text on its own, so that a mark never forms across two of them.
  const std::u16string text = replaceLineMarks(topheader) + replaceLineMarks(topcontents) +
                              u"\r\r" + replaceLineMarks(fileheader) +
                              replaceLineMarks(filecontents);
  return encodeCp1252Lossy(text);
}

int16_t exportFile(const std::u16string& topheader, const std::u16string& topcontents,
                   const std::u16string& fileheader, const std::u16string& filecontents,
                   const SaveAFileFunction& saveAFile) {
  if (!saveAFile) raise(kInvalidArgument, "exportFile needs a Save dialog");
  std::u16string sInitDir(kExportInitDir);
  const std::u16string sFileFilters(kExportFilter);
  std::u16string sTitle(kExportTitle);
  int32_t lParentHwnd = 0;
  const std::u16string path = saveAFile(sInitDir, sFileFilters, sTitle, lParentHwnd);
  if (path.empty()) return 0;
  writeFileAtomically(path, exportBytes(topheader, topcontents, fileheader, filecontents));
  return 1;
}

}  // namespace cvn
