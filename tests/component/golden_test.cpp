#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "component/corvane.hpp"
#include "component/corvane_old.hpp"
#include "platform/utf.hpp"

namespace cvn {
namespace {

// One line of the golden cases: a pair of trees, the expected statement list
// and the settings it was made with.
struct GoldenCase {
  std::string folder;
  std::string expected;
  std::map<std::string, std::string> options;
  bool legacy = false;
};

std::filesystem::path goldenRoot() { return std::filesystem::path(CVN_TEST_DATA_DIR) / "golden"; }

std::vector<GoldenCase> loadCases() {
  std::vector<GoldenCase> cases;
  std::ifstream in(goldenRoot() / "CASES.txt");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    GoldenCase c;
    words >> c.folder >> c.expected;
    std::string word;
    while (words >> word) {
      if (word == "--legacy") {
        c.legacy = true;
      } else {
        words >> c.options[word];
      }
    }
    cases.push_back(c);
  }
  return cases;
}

std::string readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// The host's way: each tree listed by getFileList on a fresh object, the scan
// form turned into the comparison form.
std::u16string comparisonList(const std::u16string& root) {
  Corvane lister;
  std::u16string list = lister.getFileList(root);
  for (size_t at = list.find(u'\r'); at != std::u16string::npos; at = list.find(u'\r', at + 2)) {
    list.replace(at, 1, u"||");
  }
  return list;
}

void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.expected; }

class Golden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, StatementListIsExact) {
  const GoldenCase& c = GetParam();
  const std::string oldRoot = (goldenRoot() / c.folder / "old").lexically_normal().string();
  const std::string newRoot = (goldenRoot() / c.folder / "new").lexically_normal().string();
  const std::u16string oldU = utf8ToUtf16(oldRoot);
  const std::u16string newU = utf8ToUtf16(newRoot);
  const std::u16string oldList = comparisonList(oldU);
  const std::u16string newList = comparisonList(newU);
  auto option = [&](const std::string& name) { return utf8ToUtf16(c.options.at(name)); };
  const auto threshold = static_cast<int16_t>(std::stoi(c.options.at("--threshold")));
  const int32_t session = std::stoi(c.options.at("--session"));

  std::u16string result;
  if (c.legacy) {
    Corvane_old comparer;
    result = comparer.compareFileList(oldU, newU, oldList, newList, option("--comment"), threshold,
                                      0, session, option("--begin"), option("--end"),
                                      option("--type"));
  } else {
    Corvane comparer;
    result = comparer.compareFileList(oldU, newU, oldList, newList, option("--comment"), threshold,
                                      0, session, option("--begin"), option("--end"),
                                      option("--type"));
  }
  std::string expected = readBytes(goldenRoot() / c.expected);
  replaceAll(expected, "@OLD@", oldRoot);
  replaceAll(expected, "@NEW@", newRoot);
  EXPECT_EQ(utf16ToUtf8(result), expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, ::testing::ValuesIn(loadCases()),
                         [](const auto& info) {
                           std::string name = info.param.expected;
                           for (char& ch : name) {
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace cvn
