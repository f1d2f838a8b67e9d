#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cvn {

// The title SaveAFile shows when the caller leaves it out.
inline constexpr std::u16string_view kDefaultSaveTitle = u"Open File";
// lpstrFile and lpstrFileTitle start as this many spaces and a NUL.
inline constexpr int32_t kSaveBufferSpaces = 254;

// The filter as the dialog takes it: every "|", then every ";" becomes a NUL,
// and the result ends with a NUL ("" gives a single NUL).
std::u16string convertFileFilter(std::u16string_view sFileFilters);

// The path in the dialog's file buffer: the text up to its first NUL (the NUL
// included), without leading and trailing spaces, then without a last NUL.
std::u16string chosenPath(std::u16string_view fileBuffer);

// Shows the Save dialog (Module1::GetSaveFileNameA) starting in sInitDir, with
// the filters and the title given, and asking before an existing file is
// replaced. Returns the chosen path, or "" when the user cancelled. The in/out
// arguments are never changed.
std::u16string SaveAFile(std::u16string& sInitDir, const std::u16string& sFileFilters,
                         std::u16string& sTitle, int32_t& lParentHwnd);
// The optional arguments left out: owner 0.
std::u16string SaveAFile(std::u16string& sInitDir, const std::u16string& sFileFilters,
                         std::u16string& sTitle);
// The optional arguments left out: title kDefaultSaveTitle, owner 0.
std::u16string SaveAFile(std::u16string& sInitDir, const std::u16string& sFileFilters = u"");

}  // namespace cvn
