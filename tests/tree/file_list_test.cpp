#include "tree/file_list.hpp"

#include <gtest/gtest.h>

#include "platform/file_system.hpp"
#include "support/error_number.hpp"
#include "support/temp_dir.hpp"
#include "tree/directory_comparison.hpp"

namespace cvn {
namespace {

using test::errorNumberOf;

// The operating system's folders, except that a folder named "locked" cannot be read.
struct Locked final : FileSystem {
  FileSystem& os = osFileSystem();
  TextLines readTextFile(const std::u16string& p) override { return os.readTextFile(p); }
  FolderListing listFolder(const std::u16string& p) override {
    if (p.ends_with(u"locked")) raise(kPermissionDenied);
    return os.listFolder(p);
  }
  bool fileExists(const std::u16string& p) override { return os.fileExists(p); }
  bool folderExists(const std::u16string& p) override { return os.folderExists(p); }
};

// Files, then subfolders depth first in pre-order; masks match a path's end in any case. In
// format 2 scanDir cuts the scan root off; a folder it cannot read stops it, keeping the rest.
TEST(FileList, DepthFirstPreOrder) {
  test::TempDir dir;
  for (const char* name : {"root.c", "A/a.c ", "A/A1/a1.java", "B/b.JAVA", "B/bjava",
                           "C/x.\xC3\xA9t\xC3\xA9", "D/locked/x"})
    dir.write(name, "");
  const std::u16string r = dir.u16();
  const auto lines = [&](std::initializer_list<const char16_t*> names) {
    std::u16string text;
    for (const char16_t* name : names) text += r + name + u"\r";
    return text;
  };
  ComparerState state;
  EXPECT_EQ(getFileList(state, r) + u"\r",
            lines({u"/root.c", u"/A/a.c ", u"/A/A1/a1.java", u"/B/b.JAVA", u"/B/bjava",
                   u"/C/x.\u00E9t\u00E9", u"/D/locked/x"}));
  EXPECT_EQ(state.strFolderList, lines({u"", u"/A", u"/A/A1", u"/B", u"/C", u"/D", u"/D/locked"}));
  EXPECT_EQ(getFileList(state, r + u"/*.java") + u"\r",
            lines({u"/A/A1/a1.java", u"/B/b.JAVA", u"/B/bjava"}));
  EXPECT_EQ(state.strScanRoot, r + u"/");
  EXPECT_EQ(getFileList(state, r + u"/*.\u00C9T\u00C9"), r + u"/C/x.\u00E9t\u00E9");
  EXPECT_EQ(getFileList(state, r + u"/*.*"), getFileList(state, r));
  EXPECT_EQ(getFileList(state, r + u"/A/*"), u"1");  // no folder "A/*"
  EXPECT_EQ(state.strFolderList, u"");
  EXPECT_EQ(errorNumberOf([&] { getFileList(state, u"no-such-folder"); }), kInvalidArgument);
  EXPECT_EQ(checkFileExists(r + u"/root.c") - checkDirExists(r + u"/root.c"), 1);
  Locked locked;
  const ScopedFileSystem installed(locked);
  EXPECT_EQ(errorNumberOf([&] { scanDir(state, r, u"2"); }), kPermissionDenied);
  EXPECT_EQ(state.strFolderList, u"\r" + lines({u"/A", u"/A/A1", u"/B", u"/C", u"/D"}));
  scanDir(state, r + u"/A", u"3");
  EXPECT_TRUE(state.strFolderList.ends_with(lines({u"/D", u"/A", u"/A/A1"})));
}

// The driver over lists below "/o" (or another root) and "/n", on four threads: each call of
// the per-file work as it is finished, in list order ("name root file...|"), then the values of
// the directory statement.
struct Driver {
  ComparerState state{.strSQL = u"old|||"};
  std::u16string calls;
  std::string progress;
  WorkPool pool{4};
  std::u16string run(const std::u16string& one, const std::u16string& two,
                     const std::u16string& type, const std::u16string& root = u"/o") {
    const auto as = [&](std::u16string name) {
      return [&, name](const auto&... v) -> FileFinish {
        return [&, call = (name + ... + (u" " + v)) + u"|"] { calls += call; };
      };
    };
    const auto count = [&](int64_t done, int64_t total, const auto&) {
      progress += std::to_string(done) + "/" + std::to_string(total) + " ";
    };
    const std::u16string sql =
        compareFileList(state, {root, u"/n", one, two, u"//", 3, 0, 77, u"/*", u"*/", type},
                        {as(u"compare"), as(u"count0"), as(u"count2"), as(u"count1")}, pool, count);
    return std::exchange(calls, u"") + sql.substr(sql.find(u"values (77,") + 11);
  }
};

// Type 2 compares pairs (by relative path, the first new match) and counts the others, type 1
// counts pairs. Roots fail before any file; lists may be long.
TEST(CompareFileList, PerFileWorkByType) {
  Driver d;
  EXPECT_EQ(d.run(u"/o/a||/o/b", u"/n/b||/n/c", u"2"),
            u"count2 /o/ /o/a|compare /o/ /o/b /n/b|count1 /n/ /n/c|1,1,1,'/o/','/n/')|||");
  EXPECT_EQ(d.progress, "0/3 1/3 2/3 3/3 ");
  EXPECT_EQ(d.run(u"/o/a||/o/b", u"/n/b||/n/c", u"1"), u"count0 /o/ /o/b|1,1,1,'/o/','/n/')|||");
  EXPECT_EQ(d.run(u"/o/a||/o/b", u"/n/b||/n/c", u" 2"), u"1,1,1,'/o/','/n/')|||");
  EXPECT_EQ(d.run(u"/o/x||/o/x||", u"/n/x", u"2"),
            u"compare /o/ /o/x /n/x|compare /o/ /o/x /n/x|count2 /o/ |2,1,-1,'/o/','/n/')|||");
  EXPECT_EQ(d.run(u"C:\\o\\x", u"/n/x", u"2", u"C:\\o\\*.java"),
            u"compare C:\\o\\ C:\\o\\x /n/x|1,0,0,'C:\\o\\','/n/')|||");
  EXPECT_EQ(errorNumberOf([&] { d.run(u"o/a", u"/n/a", u"2", u"o"); }), kInvalidArgument);
  EXPECT_EQ(errorNumberOf([&] { d.run(u"", u"", u"2", u"/" + std::u16string(32767, u'a')); }),
            kOverflow);
  EXPECT_EQ(d.state.strSQL + d.calls, u"");
  std::u16string one = u"/o/x", two = u"/n/x";
  for (int k = 1; k < 40000; ++k) one += u"||/o/x", two += u"||/n/x";
  EXPECT_EQ(d.run(one, two, u"3").substr(0, 9), u"40000,0,0");
}

}  // namespace
}  // namespace cvn
