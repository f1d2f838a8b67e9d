#include "component/method_table.hpp"

#include <algorithm>
#include <array>

namespace cvn {
namespace {

using enum ValueType;
using enum ParamMode;

constexpr std::array<ParamInfo, 4> kSaveAFile = {{
    {u"sInitDir", InOut, String},
    {u"sFileFilters", In, String, true},
    {u"sTitle", InOut, String, true},
    {u"lParentHwnd", InOut, Int32, true},
}};
constexpr std::array<ParamInfo, 1> kGetFileList = {{{u"path", In, String}}};
constexpr std::array<ParamInfo, 11> kCompareFileList = {{
    {u"strRootDirectoryOne", In, String},
    {u"strRootDirectoryTwo", In, String},
    {u"sourceOne", In, String},
    {u"sourceTwo", In, String},
    {u"commentChar", In, String},
    {u"diffThershold", In, Int16},
    {u"optThree", In, Int16},
    {u"sessionID", In, Int32},
    {u"multiBegComm", In, String},
    {u"multiEndComm", In, String},
    {u"compareType", In, String},
}};
constexpr std::array<ParamInfo, 4> kMatchFiles = {{
    {u"rootDirectorySource", In, String},
    {u"rootDirectoryCompare", In, String},
    {u"fileToMatch", In, String},
    {u"matchAgainst", In, String},
}};
constexpr std::array<ParamInfo, 3> kCompareMatchedFiles = {{
    {u"strRootDir", In, String},
    {u"fileOne", In, String},
    {u"fileTwo", In, String},
}};
constexpr std::array<ParamInfo, 19> kInsertFileCompareResults = {{
    {u"a", InOut, Variant},  {u"b", InOut, Variant},  {u"c", InOut, Variant},
    {u"d", InOut, Variant},  {u"e", InOut, Variant},  {u"f", InOut, Variant},
    {u"g", InOut, Variant},  {u"h", InOut, Variant},  {u"i", InOut, Variant},
    {u"k", InOut, Variant},  {u"l", InOut, Variant},  {u"a1", InOut, Variant},
    {u"a2", InOut, Variant}, {u"b1", InOut, Variant}, {u"b2", InOut, Variant},
    {u"c1", InOut, Variant}, {u"c2", InOut, Variant}, {u"d1", InOut, Variant},
    {u"d2", InOut, Variant},
}};
// The legacy builder takes the first eleven of the same parameters.
constexpr std::span<const ParamInfo> kInsertLegacyFileCompareResults(
    kInsertFileCompareResults.data(), 11);
constexpr std::array<ParamInfo, 5> kInsertDirCompareResults = {{
    {u"a", InOut, Variant},
    {u"b", InOut, Variant},
    {u"c", InOut, Variant},
    {u"d", InOut, Variant},
    {u"e", InOut, Variant},
}};
constexpr std::array<ParamInfo, 3> kDetermineChangedLine = {{
    {u"string1", In, String},
    {u"string2", In, String},
    {u"diffThershold", In, Int16},
}};
constexpr std::array<ParamInfo, 1> kCheckFileExists = {{{u"filename", In, String}}};
constexpr std::array<ParamInfo, 1> kCheckDirExists = {{{u"directory", In, String}}};
constexpr std::array<ParamInfo, 1> kCalBlankLines = {{{u"fileContentsOne", InOut, StringArray}}};
constexpr std::array<ParamInfo, 4> kExportFile = {{
    {u"topheader", In, String},
    {u"topcontents", In, String},
    {u"fileheader", In, String},
    {u"filecontents", In, String},
}};
constexpr std::array<ParamInfo, 3> kPhysicalCountOnly = {{
    {u"strDirRoot", In, String},
    {u"fileToCount", In, String},
    {u"ifileType", InOut, Int16},
}};
constexpr std::span<const ParamInfo> kLegacyPhysicalCountOnly(kPhysicalCountOnly.data(), 2);
constexpr std::array<ParamInfo, 2> kScanDir = {{
    {u"strDir", In, String},
    {u"strFormat", In, String},
}};

const std::array<MethodInfo, 15> kCorvane = {{
    {u"SaveAFile", 0x60030000, kSaveAFile, String},
    {u"getFileList", 0x60030001, kGetFileList, String},
    {u"compareFileList", 0x60030002, kCompareFileList, String},
    {u"matchFiles", 0x60030003, kMatchFiles, Int16},
    {u"compareMatchedFiles", 0x60030004, kCompareMatchedFiles, String},
    {u"insertFileCompareResults", 0x60030005, kInsertFileCompareResults, None},
    {u"insertDirCompareResults", 0x60030006, kInsertDirCompareResults, None},
    {u"determineChangedLine", 0x6003000A, kDetermineChangedLine, Int16},
    {u"determineChangedLine_old", 0x6003000B, kDetermineChangedLine, Int16},
    {u"checkFileExists", 0x6003000C, kCheckFileExists, Int16},
    {u"checkDirExists", 0x6003000D, kCheckDirExists, Int16},
    {u"calBlankLines", 0x6003000E, kCalBlankLines, Int32},
    {u"exportFile", 0x60030010, kExportFile, Int16},
    {u"physicalCountOnly", 0x60030011, kPhysicalCountOnly, String},
    {u"scanDir", 0x60030012, kScanDir, None},
}};

const std::array<MethodInfo, 14> kCorvaneOld = {{
    {u"SaveAFile", 0x60030000, kSaveAFile, String},
    {u"getFileList", 0x60030001, kGetFileList, String},
    {u"compareFileList", 0x60030002, kCompareFileList, String},
    {u"matchFiles", 0x60030003, kMatchFiles, Int16},
    {u"compareMatchedFiles", 0x60030004, kCompareMatchedFiles, String},
    {u"insertFileCompareResults", 0x60030005, kInsertLegacyFileCompareResults, None},
    {u"insertDirCompareResults", 0x60030006, kInsertDirCompareResults, None},
    {u"determineChangedLine", 0x60030008, kDetermineChangedLine, Int16},
    {u"checkFileExists", 0x60030009, kCheckFileExists, Int16},
    {u"checkDirExists", 0x6003000A, kCheckDirExists, Int16},
    {u"calBlankLines", 0x6003000B, kCalBlankLines, Int32},
    {u"exportFile", 0x6003000C, kExportFile, Int16},
    {u"physicalCountOnly", 0x6003000D, kLegacyPhysicalCountOnly, String},
    {u"scanDir", 0x6003000E, kScanDir, None},
}};

char16_t asciiLower(char16_t ch) { return ch >= u'A' && ch <= u'Z' ? ch - u'A' + u'a' : ch; }

}  // namespace

std::span<const MethodInfo> corvaneMethods() { return kCorvane; }
std::span<const MethodInfo> corvaneOldMethods() { return kCorvaneOld; }

const MethodInfo* findMethod(std::span<const MethodInfo> table, int32_t dispatchId) {
  auto it = std::find_if(table.begin(), table.end(),
                         [&](const MethodInfo& m) { return m.dispatchId == dispatchId; });
  return it == table.end() ? nullptr : &*it;
}

const MethodInfo* findMethod(std::span<const MethodInfo> table, std::u16string_view name) {
  auto equalIgnoringCase = [&](std::u16string_view other) {
    return std::equal(name.begin(), name.end(), other.begin(), other.end(),
                      [](char16_t a, char16_t b) { return asciiLower(a) == asciiLower(b); });
  };
  auto it = std::find_if(table.begin(), table.end(),
                         [&](const MethodInfo& m) { return equalIgnoringCase(m.name); });
  return it == table.end() ? nullptr : &*it;
}

}  // namespace cvn
