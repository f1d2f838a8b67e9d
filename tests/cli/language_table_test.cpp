#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <fmt/format.h>

#include "component/corvane.hpp"
#include "languages/language_table.hpp"
#include "platform/utf.hpp"

namespace cvn {

void PrintTo(const PhysicalCounts& c, std::ostream* out) {
  *out << "{total " << c.total << ", comment " << c.comment << ", blank " << c.blank << ", code "
       << c.code << "}";
}

namespace cli {
namespace {

std::filesystem::path fixtures() {
  return std::filesystem::path(CVN_TEST_DATA_DIR) / "languages";
}

struct Fixture {
  std::string file;
  PhysicalCounts counts;
};

// COUNTS.txt: key, file, then total, comment, blank and code lines.
std::map<std::string, Fixture> loadFixtures() {
  std::map<std::string, Fixture> result;
  std::ifstream in(fixtures() / "COUNTS.txt");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line.front() == '#') continue;
    std::istringstream words(line);
    std::string key;
    Fixture f;
    words >> key >> f.file >> f.counts.total >> f.counts.comment >> f.counts.blank >> f.counts.code;
    result[key] = f;
  }
  return result;
}

std::u16string u16(std::string_view text) {
  return utf8ToUtf16(text);
}

TEST(LanguageTable, HoldsTheExpectedKeys) {
  for (const char* key :
       {"c",       "cpp",    "csharp",  "java",   "javascript", "typescript", "go",   "rust",
        "swift",   "kotlin", "scala",   "php",    "python",     "ruby",       "perl", "shell",
        "sql",     "lua",    "haskell", "pascal", "vb",         "html",       "xml",  "css",
        "fortran", "asm",    "tcl",     "r",      "yaml",       "toml",       "make", "cmake"}) {
    EXPECT_TRUE(findLanguage(key).has_value()) << key;
  }
  std::set<std::string_view> keys;
  for (const Language& language : languages()) {
    EXPECT_TRUE(keys.insert(language.key).second) << language.key;
  }
}

TEST(LanguageTable, KeysIgnoreCase) {
  ASSERT_TRUE(findLanguage("cpp"));
  EXPECT_EQ(findLanguage("CPP"), findLanguage("cpp"));
  EXPECT_EQ(findLanguage("JavaScript"), findLanguage("javascript"));
  EXPECT_FALSE(findLanguage("cobol"));
  EXPECT_FALSE(findLanguage(""));
}

TEST(LanguageTable, FileNamesFindTheirLanguage) {
  const auto keyOf = [](std::string_view name) -> std::string {
    const auto language = languageOfFileName(name);
    return language ? std::string(languages()[*language].key) : "";
  };
  EXPECT_EQ(keyOf("main.c"), "c");
  EXPECT_EQ(keyOf("LIST.H"), "c");
  EXPECT_EQ(keyOf("x.y.cpp"), "cpp");
  EXPECT_EQ(keyOf("makefile"), "make");
  EXPECT_EQ(keyOf("GNUmakefile"), "make");
  EXPECT_EQ(keyOf("rules.mk"), "make");
  EXPECT_EQ(keyOf("CMakeLists.txt"), "cmake");
  EXPECT_EQ(keyOf("notes.txt"), "");
  EXPECT_EQ(keyOf("README"), "");
  // A name that is only an extension is a hidden file, not a shell script.
  EXPECT_EQ(keyOf(".sh"), "");
  EXPECT_EQ(keyOf("c"), "");
}

TEST(LanguageTable, EveryLanguageHasAFixtureWithCheckedCounts) {
  const auto fixturesByKey = loadFixtures();
  EXPECT_EQ(fixturesByKey.size(), languages().size());
  for (size_t k = 0; k < languages().size(); ++k) {
    const Language& language = languages()[k];
    SCOPED_TRACE(std::string(language.key));
    const auto found = fixturesByKey.find(std::string(language.key));
    ASSERT_NE(found, fixturesByKey.end()) << "no fixture in tests/data/languages/COUNTS.txt";
    const Fixture& fixture = found->second;
    // The fixture's name is one the language claims.
    EXPECT_EQ(languageOfFileName(fixture.file), k) << fixture.file;

    Corvane counter;
    counter.state().commentChar = u16(language.comment);
    counter.state().multiBegComm = u16(language.begin);
    counter.state().multiEndComm = u16(language.end);
    const std::u16string path = u16((fixtures() / fixture.file).string());
    EXPECT_EQ(counter.countFile(path), fixture.counts) << fixture.file;

    // physicalCountOnly agrees: samelines is the total, then the comment lines, the code
    // lines in totallinesinold and the blank lines in blanklinesinold.
    int16_t type = kCountedFile;
    counter.physicalCountOnly(u16(fixtures().string() + "/"), path, type);
    const std::string statement = utf16ToUtf8(counter.state().strSQL);
    const PhysicalCounts& n = fixture.counts;
    EXPECT_NE(statement.find(fmt::format("'{}',0,0,{},{},0,{},0,0,{},0,", fixture.file, n.total,
                                         n.comment, n.code, n.blank)),
              std::string::npos)
        << statement;
  }
}

}  // namespace
}  // namespace cli
}  // namespace cvn
