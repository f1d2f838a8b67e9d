#include "export/save_dialog.hpp"

#include <algorithm>
#include <vector>

#include "export/module1.hpp"

namespace cvn {
namespace {

// A buffer the dialog may write into: spaces, then the NUL that ends them.
std::vector<char> spaceBuffer() {
  std::vector<char> buffer(kSaveBufferSpaces + 1, ' ');
  buffer.back() = '\0';
  return buffer;
}

// The buffer as text: its bytes up to and including the first NUL.
std::u16string bufferText(const std::vector<char>& buffer) {
  const auto nul = std::find(buffer.begin(), buffer.end(), '\0');
  const auto end = nul == buffer.end() ? nul : nul + 1;
  return Module1::textOfRecord(
      std::string_view(buffer.data(), static_cast<size_t>(end - buffer.begin())));
}

}  // namespace

std::u16string convertFileFilter(std::u16string_view sFileFilters) {
  std::u16string filter(sFileFilters);
  std::replace(filter.begin(), filter.end(), u'|', u'\0');
  std::replace(filter.begin(), filter.end(), u';', u'\0');
  if (filter.empty() || filter.back() != u'\0') filter += u'\0';
  return filter;
}

std::u16string chosenPath(std::u16string_view fileBuffer) {
  const auto nul = fileBuffer.find(u'\0');
  if (nul != std::u16string_view::npos) fileBuffer = fileBuffer.substr(0, nul + 1);
  const auto first = fileBuffer.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return u"";
  fileBuffer = fileBuffer.substr(first, fileBuffer.find_last_not_of(u' ') + 1 - first);
  if (!fileBuffer.empty() && fileBuffer.back() == u'\0') fileBuffer.remove_suffix(1);
  return std::u16string(fileBuffer);
}

std::u16string SaveAFile(std::u16string& sInitDir, const std::u16string& sFileFilters,
                         std::u16string& sTitle, int32_t& lParentHwnd) {
  // The record's 8-bit texts; their NUL terminators come with std::string.
  // The filter's own last NUL and the terminator end its list with an empty string.
  const std::string filter = Module1::recordText(convertFileFilter(sFileFilters));
  const std::string initialDir = Module1::recordText(sInitDir);
  const std::string title = Module1::recordText(sTitle);
  std::vector<char> file = spaceBuffer();
  std::vector<char> fileTitle = spaceBuffer();

  Module1::OPENFILENAME ofn;
  ofn.lStructSize = Module1::kOpenFileNameSize;
  ofn.hwndOwner = lParentHwnd;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<int32_t>(file.size());
  ofn.lpstrFileTitle = fileTitle.data();
  ofn.nMaxFileTitle = static_cast<int32_t>(fileTitle.size());
  ofn.lpstrInitialDir = initialDir.c_str();
  ofn.lpstrTitle = title.c_str();
  // Ask before an existing file is replaced.
  ofn.Flags = Module1::OFN_OVERWRITEPROMPT;

  if (Module1::GetSaveFileNameA(&ofn) == 0) return u"";
  return chosenPath(bufferText(file));
}

std::u16string SaveAFile(std::u16string& sInitDir, const std::u16string& sFileFilters,
                         std::u16string& sTitle) {
  int32_t lParentHwnd = 0;
  return SaveAFile(sInitDir, sFileFilters, sTitle, lParentHwnd);
}

std::u16string SaveAFile(std::u16string& sInitDir, const std::u16string& sFileFilters) {
  std::u16string sTitle(kDefaultSaveTitle);
  return SaveAFile(sInitDir, sFileFilters, sTitle);
}

}  // namespace cvn
