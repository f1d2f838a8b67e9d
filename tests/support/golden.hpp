#pragma once

// The golden cases, read the same way by every suite that runs them: each line
// of CASES.txt names a folder with an old and a new tree, the file of the
// expected statements (the roots written as @OLD@ and @NEW@) and the options of
// `cvn compare` that made it. Header only, so that the Windows build shares it.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace cvn::test {

struct GoldenCase {
  std::string folder;
  std::string expectedFile;
  std::vector<std::string> arguments;          // as given to cvn compare
  std::map<std::string, std::string> options;  // "--comment" -> "//", ...
  bool legacy = false;
};

inline std::vector<GoldenCase> goldenCases(const std::filesystem::path& root) {
  std::vector<GoldenCase> cases;
  std::ifstream in(root / "CASES.txt");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    GoldenCase c;
    words >> c.folder >> c.expectedFile;
    for (std::string word; words >> word;) {
      c.arguments.push_back(word);
      if (word == "--legacy") {
        c.legacy = true;
      } else if (words >> c.options[word]) {
        c.arguments.push_back(c.options[word]);
      }
    }
    if (!c.folder.empty()) cases.push_back(c);
  }
  return cases;
}

// The expected statements with the roots put in.
inline std::string goldenExpected(const std::filesystem::path& root, const GoldenCase& c,
                                  const std::string& oldRoot, const std::string& newRoot) {
  std::ifstream in(root / c.expectedFile, std::ios::binary);
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  for (const auto& [from, to] : {std::pair<std::string, std::string>{"@OLD@", oldRoot},
                                 std::pair<std::string, std::string>{"@NEW@", newRoot}}) {
    for (size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
      text.replace(at, from.size(), to);
    }
  }
  return text;
}

}  // namespace cvn::test
