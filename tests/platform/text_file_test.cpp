#include "platform/text_file.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cvn {
namespace {

struct SplitCase {
  std::string text;
  std::vector<std::string_view> lines;
};

TEST(SplitLines, TerminatorsAndTheLastLine) {
  const std::vector<SplitCase> cases = {
      {"", {}},
      {"a", {"a"}},
      {"a\n", {"a"}},
      {"a\n\n", {"a", ""}},
      {"a\r\nb", {"a", "b"}},
      {"\r\n", {""}},
      {"a\rb\n", {"a\rb"}},
      {"a\r", {"a\r"}},
      {"a\r\r\n", {"a\r"}},
      {"\n\n\n", {"", "", ""}},
      {std::string("x\0y\n", 4), {std::string_view("x\0y", 3)}},
  };
  for (const SplitCase& c : cases) EXPECT_EQ(splitLines(c.text), c.lines) << c.text;
}

}  // namespace
}  // namespace cvn
