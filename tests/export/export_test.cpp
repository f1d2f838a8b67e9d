// The export layer on POSIX: the export file's bytes, and the Save dialog as zenity (a fake one,
// first on PATH) and the terminal (a pseudo-terminal) take it: arguments, filters, the chosen
// path, typed answers. The real zenity has a program of its own (zenity_dialog_test.cpp).
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>

#include "export/export_file.hpp"
#include "export/save_dialog.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

namespace fs = std::filesystem;

TEST(ExportBytes, MarksEndLinesWithinEachTextInWindows1252) {
  EXPECT_EQ(exportBytes(u"a|||b|||", u"||||", u"x||", u"|\u00E9\u20AC\u4E00"),
            "a\rb\r\r|\r\rx|||\xE9\x80?");
}

// SaveAFile as exportFile calls it, in a child working in `dir`, with a display and the fake
// zenity first on PATH, or else at a terminal where `typed` is typed (HOME is dir/home). What
// the terminal showed, or nothing, then "=>" and the path returned.
std::string chosen(const fs::path& dir, const std::u16string& initDir,
                   const std::u16string& filters, const std::optional<std::string>& typed = {}) {
  return runCheck(
             [&] {
               ::setenv("HOME", (dir / "home").c_str(), 1);
               ::setenv("PATH", (dir.string() + ":/usr/bin:/bin").c_str(), 1);
               typed ? ::unsetenv("DISPLAY") : ::setenv("DISPLAY", ":99", 1);
               ::unsetenv("WAYLAND_DISPLAY");
               std::u16string folder = initDir, title = u"Save Export As...";
               const std::string path = "=>" + u8(SaveAFile(folder, filters, title));
               return ::write(1, path.data(), path.size()) > 0 ? 0 : 1;
             },
             {.cwd = dir, .terminal = typed.has_value(), .input = typed})
      .out;
}

TEST(SaveDialog, ZenityIsAskedAndItsPathTaken) {
  TempDir dir;
  const std::string cwd = fs::canonical(dir.path()).string();
  dir.mkdir("sub");
  // By default the fake zenity answers with its arguments.
  const std::string args =
      "=>--file-selection|--save|--confirm-overwrite|--title=Save Export As...|--filename=" + cwd;
  struct Case {
    std::u16string initDir, filters;
    std::string body, path;
  };
  for (const Case& c : std::vector<Case>{
           {u"c:\\", u"Text File (*.txt);*.txt", "",
            args + "/|--file-filter=Text File (*.txt) | *.txt|"},
           {u16(cwd + "/sub/"), u"All|*.*|C|*.c;*.h", "",
            args + "/sub/|--file-filter=All | *|--file-filter=C | *.c|--file-filter=*.h|"},
           {u"c:\\", u"A|*.a|Lonely", "", args + "/|--file-filter=A | *.a|"},
           {u"c:\\", u"", "echo ' /x/caf\xE9.txt'", "=>/x/caf\xE9.txt"},
           {u"c:\\", u"", "echo /x/c.txt; exit 1", "=>"},
           {u"c:\\", u"", "echo /x/d.txt; kill -KILL $$", "=>"},
           {u"c:\\", u"", "echo /" + std::string(253, 'a'), "=>/" + std::string(253, 'a')},
           {u"c:\\", u"", "echo /" + std::string(300, 'a'), "=>"},
           {u"c:\\", u"", "echo", "=>"},
       }) {
    dir.write("zenity", "#!/bin/sh\n" + (c.body.empty() ? "printf '%s|' \"$@\"" : c.body) + "\n");
    fs::permissions(dir.path() / "zenity", fs::perms::owner_all);
    EXPECT_EQ(chosen(dir.path(), c.initDir, c.filters), c.path) << c.body;
  }
}

TEST(SaveDialog, TerminalTakesTheTypedName) {
  TempDir dir;
  const std::string cwd = fs::canonical(dir.path()).string();
  dir.mkdir("sub");
  dir.write("exists.txt", "old");
  for (const auto& [typed, path, shown] : std::vector<std::array<std::string, 3>>{
           {"out.txt\n", cwd + "/out.txt",
            "Save Export As...\r\nFolder: " + cwd +
                "\r\nFile types: Text File (*.txt) [*.txt]\r\nFile name (empty to cancel): "},
           {cwd + "/sub/abs.txt\n", cwd + "/sub/abs.txt", ""},
           {"~/x.txt\n", cwd + "/home/x.txt", ""},
           {" \n", "", ""},
           {"\x04", "", ""},
           {"exists.txt\nYes\n", cwd + "/exists.txt",
            "exists.txt already exists.\r\nReplace it? [y/N] "},
           {"exists.txt\nn\n", "", ""},
           {"sub\nf\n", cwd + "/f", "/sub is a folder.\r\n"},
           {std::string(300, 'a') + "\n\n", "", " cannot be used.\r\n"},
       }) {
    const std::string out = chosen(dir.path(), u"c:\\", u"Text File (*.txt);*.txt", typed);
    EXPECT_EQ(out.substr(out.rfind("=>") + 2), path) << out;
    EXPECT_NE(out.find(shown), std::string::npos) << out;
  }
}

}  // namespace
}  // namespace cvn::test
