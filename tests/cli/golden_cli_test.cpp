#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "run_cvn.hpp"

namespace cvn::test {
namespace {

// One line of CASES.txt: the folder holding old/ and new/, the expected statement list
// and the arguments that follow "cvn compare <folder>/old <folder>/new".
struct GoldenCase {
  std::string folder;
  std::string expected;
  std::vector<std::string> args;
};

// Test names show the expected file rather than the case's bytes.
void PrintTo(const GoldenCase& c, std::ostream* out) {
  *out << c.expected;
}

std::filesystem::path goldenRoot() {
  return std::filesystem::path(CVN_TEST_DATA_DIR) / "golden";
}

std::vector<GoldenCase> loadCases() {
  std::vector<GoldenCase> cases;
  std::ifstream in(goldenRoot() / "CASES.txt");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    GoldenCase c;
    if (!(words >> c.folder >> c.expected)) continue;
    for (std::string word; words >> word;) c.args.push_back(word);
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

class GoldenCli : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenCli, SqlOutputIsExact) {
  const GoldenCase& c = GetParam();
  std::vector<std::string> args = {"compare", c.folder + "/old", c.folder + "/new"};
  args.insert(args.end(), c.args.begin(), c.args.end());
  args.emplace_back("--sql");
  const CvnResult result = runCvn(args, goldenRoot());

  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  // The working folder is the physical one, so that is the absolute form of the roots.
  const auto folder = std::filesystem::canonical(goldenRoot()) / c.folder;
  std::string expected = readBytes(goldenRoot() / c.expected);
  replaceAll(expected, "@OLD@", (folder / "old").string());
  replaceAll(expected, "@NEW@", (folder / "new").string());
  const auto mismatch =
      std::mismatch(expected.begin(), expected.end(), result.out.begin(), result.out.end());
  EXPECT_TRUE(result.out == expected)
      << "cvn " << ::testing::PrintToString(args) << "\nfirst difference at byte "
      << (mismatch.first - expected.begin()) << " of " << expected.size() << " (got "
      << result.out.size() << ")";
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenCli, ::testing::ValuesIn(loadCases()), [](const auto& info) {
  std::string name = info.param.expected;
  for (char& ch : name) {
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  }
  return name;
});

}  // namespace
}  // namespace cvn::test
