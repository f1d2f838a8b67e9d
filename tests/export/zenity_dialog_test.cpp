// cvn export through the real zenity in a virtual X server, typed at by xdotool as a user would:
// the name of an existing file, then Return until the question to replace it is answered. Needs
// Xvfb, zenity and xdotool: skipped without them, except in CI (CI=true), where that fails.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "platform/process_posix.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

TEST(ZenityDialog, ReplacesTheFileTheUserNames) {
  for (const char* program : {"Xvfb", "zenity", "xdotool"}) {
    const char* ci = std::getenv("CI");
    if (!findOnPath(program) && ci && std::string(ci) == "true") FAIL() << program << " missing";
    if (!findOnPath(program)) GTEST_SKIP() << "the real dialog needs Xvfb, zenity and xdotool";
  }
  TempDir dir;
  dir.write("work/old/a.c", "int a;\n");
  dir.write("work/new/a.c", "int b;\n");
  dir.write("work/report.txt", "old");
  const Options work = {.cwd = dir.path() / "work", .timeout = std::chrono::seconds(120)};
  ASSERT_EQ(runCvn({"compare", "old", "new", "--db", "r.db"}, work).status, 0);
  // The dialog opens in the working folder; no window manager gives it the keyboard.
  const std::string script = R"sh(
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> display 2> /dev/null & xvfb=$!
    trap 'kill $xvfb' EXIT
    until [ -s display ]; do sleep 0.1; done
    export DISPLAY=:$(cat display) HOME=$PWD/.. NO_AT_BRIDGE=1 GDK_BACKEND=x11
    "$0" export --session 1 --db r.db & cvn=$!
    xdotool search --sync --onlyvisible --name '^Save Export As' windowfocus --sync %1 \
      type --delay 20 report.txt
    while [ "$(cat report.txt)" = old ]; do xdotool key Return; sleep 0.5; done
    wait $cvn && grep -q '^CVN comparison, session 1' report.txt)sh";
  const Outcome result = run({"sh", "-c", script, CVN_EXE}, work);
  EXPECT_EQ(result.status, 0) << result.out << result.err;
}

}  // namespace
}  // namespace cvn::test
