#include "platform/process_posix.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/temp_dir.hpp"

namespace cvn {
namespace {

using test::TempDir;

TEST(FindOnPath, SearchesThePathFolders) {
  TempDir dir;
  dir.write("a/tool", "not executable");
  const auto tool = dir.write("b/tool", "#!/bin/sh\n").string();
  std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
  const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  ::setenv("PATH", ("::" + dir.path().string() + "/a:" + dir.path().string() + "/b").c_str(), 1);
  const auto found = findOnPath("tool").value_or("none") + "|" + findOnPath("x").value_or("none");
  ::setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(found, tool + "|none");
  EXPECT_EQ(findOnPath(tool), tool);
  EXPECT_EQ(findOnPath((dir.path() / "a/tool").string()), std::nullopt);
  EXPECT_EQ(findOnPath(""), std::nullopt);
}

}  // namespace
}  // namespace cvn
