#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace cvn {

// The Save dialog as exportFile calls it: each comparer class passes its own
// SaveAFile.
using SaveAFileFunction =
    std::function<std::u16string(std::u16string& sInitDir, const std::u16string& sFileFilters,
                                 std::u16string& sTitle, int32_t& lParentHwnd)>;

// What exportFile passes to the dialog.
inline constexpr std::u16string_view kExportInitDir = u"c:\\";
inline constexpr std::u16string_view kExportFilter = u"Text File (*.txt);*.txt";
inline constexpr std::u16string_view kExportTitle = u"Save Export As...";

// A text with its line marks: every "|||" becomes one carriage return.
std::u16string replaceLineMarks(std::u16string_view text);

// The export file's bytes: the four texts with their line marks replaced, two
// carriage returns between the top and the file part, as Windows-1252 ("?" for
// characters without a code), with nothing added.
std::string exportBytes(std::u16string_view topheader, std::u16string_view topcontents,
                        std::u16string_view fileheader, std::u16string_view filecontents);

// Asks for a file with saveAFile and writes the export there, at exactly the
// path chosen. Returns 0 when the user cancelled (nothing is touched), 1 when
// the file was written. The file is replaced as one step: a failure throws
// cvn::Error naming the path (76 missing folder, 70 no permission, including a
// read-only file, 75 otherwise) and leaves an existing file as it was.
int16_t exportFile(const std::u16string& topheader, const std::u16string& topcontents,
                   const std::u16string& fileheader, const std::u16string& filecontents,
                   const SaveAFileFunction& saveAFile);

}  // namespace cvn
