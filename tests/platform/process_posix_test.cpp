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
  const char* saved = std::getenv("PATH");
  const std::string path = saved != nullptr ? saved : "";
  ::setenv("PATH", ("::" + dir.path().string() + "/a:" + dir.path().string() + "/b").c_str(), 1);
  const auto found = findOnPath("tool");
  const auto missing = findOnPath("missing");
  ::setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(found, tool);
  EXPECT_EQ(missing, std::nullopt);
  EXPECT_EQ(findOnPath(tool), tool);
  EXPECT_EQ(findOnPath((dir.path() / "a/tool").string()), std::nullopt);
  EXPECT_EQ(findOnPath(""), std::nullopt);
}

}  // namespace
}  // namespace cvn
