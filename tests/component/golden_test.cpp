// The golden cases through the classes' C++ interface, as a host calls them: each tree listed
// with getFileList, the lists joined with "||", then compareFileList.
#include <gtest/gtest.h>

#include "component/corvane.hpp"
#include "component/corvane_old.hpp"
#include "platform/utf.hpp"
#include "support/golden.hpp"

namespace cvn::test {
namespace {

const std::filesystem::path kRoot = std::filesystem::path(CVN_TEST_DATA_DIR) / "golden";

template <typename C>
std::u16string compare(const GoldenCase& c, const std::u16string& o, const std::u16string& n) {
  C comparer;
  auto list = [&](const std::u16string& root) {
    std::u16string text = comparer.getFileList(root);
    for (size_t at = text.find(u'\r'); at != std::u16string::npos; at = text.find(u'\r', at)) {
      text.replace(at, 1, u"||");
    }
    return text;
  };
  auto option = [&](const char* name) { return utf8ToUtf16(c.options.at(name)); };
  return comparer.compareFileList(o, n, list(o), list(n), option("--comment"),
                                  static_cast<int16_t>(std::stoi(c.options.at("--threshold"))), 0,
                                  std::stoi(c.options.at("--session")), option("--begin"),
                                  option("--end"), option("--type"));
}

TEST(Golden, EveryCaseIsByteExact) {
  const std::vector<GoldenCase> cases = goldenCases(kRoot);
  EXPECT_EQ(cases.size(), 24u);
  for (const GoldenCase& c : cases) {
    const std::string o = (kRoot / c.folder / "old").lexically_normal().string();
    const std::string n = (kRoot / c.folder / "new").lexically_normal().string();
    const std::u16string result = c.legacy ? compare<Corvane_old>(c, utf8ToUtf16(o), utf8ToUtf16(n))
                                           : compare<Corvane>(c, utf8ToUtf16(o), utf8ToUtf16(n));
    EXPECT_EQ(utf16ToUtf8(result), goldenExpected(kRoot, c, o, n)) << c.expectedFile;
  }
}

}  // namespace
}  // namespace cvn::test
