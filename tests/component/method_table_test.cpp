#include "component/method_table.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace cvn {
namespace {

std::string ascii(std::u16string_view text) { return std::string(text.begin(), text.end()); }

std::string listing(std::span<const MethodInfo> table) {
  std::string out;
  for (const MethodInfo& m : table) {
    char id[16];
    snprintf(id, sizeof id, "%08X", static_cast<unsigned>(m.dispatchId));
    out += id + std::string(" ") + ascii(m.name) + "/" + std::to_string(m.params.size()) + "\n";
  }
  return out;
}

// Late-bound hosts depend on these numbers: any change must show up here.
TEST(MethodTable, CurrentInterfaceIsPinned) {
  EXPECT_EQ(listing(corvaneMethods()),
            "60030000 SaveAFile/4\n60030001 getFileList/1\n60030002 compareFileList/11\n"
            "60030003 matchFiles/4\n60030004 compareMatchedFiles/3\n"
            "60030005 insertFileCompareResults/19\n60030006 insertDirCompareResults/5\n"
            "6003000A determineChangedLine/3\n6003000B determineChangedLine_old/3\n"
            "6003000C checkFileExists/1\n6003000D checkDirExists/1\n6003000E calBlankLines/1\n"
            "60030010 exportFile/4\n60030011 physicalCountOnly/3\n60030012 scanDir/2\n");
}

TEST(MethodTable, LegacyInterfaceIsPinned) {
  EXPECT_EQ(listing(corvaneOldMethods()),
            "60030000 SaveAFile/4\n60030001 getFileList/1\n60030002 compareFileList/11\n"
            "60030003 matchFiles/4\n60030004 compareMatchedFiles/3\n"
            "60030005 insertFileCompareResults/11\n60030006 insertDirCompareResults/5\n"
            "60030008 determineChangedLine/3\n60030009 checkFileExists/1\n"
            "6003000A checkDirExists/1\n6003000B calBlankLines/1\n6003000C exportFile/4\n"
            "6003000D physicalCountOnly/2\n6003000E scanDir/2\n");
}

TEST(MethodTable, ParametersAndLookups) {
  const MethodInfo* save = findMethod(corvaneMethods(), u"saveafile");
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(save->dispatchId, 0x60030000);
  EXPECT_FALSE(save->params[0].optional);
  EXPECT_TRUE(save->params[3].optional);
  EXPECT_EQ(save->params[0].mode, ParamMode::InOut);

  const MethodInfo* legacyInsert = findMethod(corvaneOldMethods(), 0x60030005);
  ASSERT_NE(legacyInsert, nullptr);
  EXPECT_EQ(ascii(legacyInsert->params.back().name), "l");
  EXPECT_EQ(findMethod(corvaneOldMethods(), u"determineChangedLine_old"), nullptr);
  EXPECT_EQ(findMethod(corvaneMethods(), 0x60030007), nullptr);

  for (auto table : {corvaneMethods(), corvaneOldMethods()}) {
    std::set<int32_t> ids;
    for (const MethodInfo& m : table) EXPECT_TRUE(ids.insert(m.dispatchId).second);
  }
}

}  // namespace
}  // namespace cvn
