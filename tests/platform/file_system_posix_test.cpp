#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <map>

#include "platform/atomic_file.hpp"
#include "platform/file_system.hpp"
#include "support/error_number.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

// The number a call fails with (0: none; 1: its description does not name the path).
int32_t errorNaming(const std::u16string& path, bool asNobody, const std::function<void()>& call) {
  const auto check = [&] {
    std::string description;
    const int32_t number = test::errorNumberOf(call, &description);
    return number == 0 || description.find(test::u8(path)) != std::string::npos ? number : 1;
  };
  return test::runCheck(check, {.asNobody = asNobody}).status;
}

// Each entry of a tree and its content (a folder's "/", a link's target): any damage shows.
std::map<std::string, std::string> snapshot(const std::filesystem::path& folder) {
  std::map<std::string, std::string> entries;
  for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
    std::string& content = entries[e.path().lexically_relative(folder)] = "/";
    if (e.is_symlink()) content = std::filesystem::read_symlink(e);
    std::ifstream in(e.is_symlink() || !e.is_regular_file() ? "" : e.path(), std::ios::binary);
    if (in) content.assign(std::istreambuf_iterator<char>(in), {});
  }
  return entries;
}

class FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"b.c", "B.c", "_x", "\xC3\xA9.c", "sub/inner/x", "secret/x"})
      dir.write(name, "");
    const auto someones = dir.write("n\xFF.c", "caf\xE9 \x80\r\nend");  // nobody may not read it
    ASSERT_EQ(::chmod(someones.c_str(), 0640) + ::chown(someones.c_str(), 1234, 0), 0);
    ASSERT_EQ(::chmod(dir.write("read-only", "").c_str(), 0444), 0);  // even for root
    ASSERT_EQ(::chmod(dir.mkdir("secret").c_str(), 0700), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    dir.mkdir("Sub");
    ASSERT_EQ(::mkfifo((dir.path() / "fifo").c_str(), 0644), 0);
    const char* links[][2] = {{"to-file", "n\xFF.c"}, {"chain", "to-file"}, {"to-folder", "sub"},
                              {"broken", "missing"},  {"loop", "loop"},     {"sub/loop", "."}};
    for (const auto& [link, target] : links) {
      ASSERT_EQ(::symlink(target, (dir.path() / link).c_str()), 0);
    }
  }
  test::TempDir dir;
  const std::u16string r = dir.u16();
  FileSystem& fs = FileSystem::current();
};

// Reading (the first line as the whole file), listing (a FIFO without blocking) and writing fail by
// number, naming the path; a failed write leaves the folder exactly as it was.
TEST_F(FileSystemTest, ErrorsNameThePath) {
  auto before = snapshot(dir.path());
  // Below the folder ("" is the empty path): reading and listing as nobody, writing as root
  // (0: not tried), writing as nobody.
  const std::vector<std::tuple<std::u16string, int32_t, int32_t, int32_t, int32_t>> cases = {
      {u"/missing", 53, 76, 0, 70},  {u"/sub", 53, 0, 75, 75},       {u"/sub/", 53, 0, 75, 75},
      {u"/none/", 76, 76, 76, 76},   {u"/none/x", 76, 76, 76, 76},   {u"/b.c/x", 76, 76, 76, 76},
      {u"/x\xD800", 53, 76, 75, 75}, {u"", 53, 76, 75, 75},          {u"/fifo", 75, 76, 75, 75},
      {u"/loop", 75, 75, 75, 75},    {u"/read-only", 0, 76, 70, 70}, {u"/chain", 70, 76, 0, 70},
      {u"/secret", 70, 70, 75, 75},  {u"/secret/x", 70, 70, 0, 70}};
  for (const auto& [name, reading, listing, writing, nobodyWriting] : cases) {
    const std::u16string path = name.empty() ? name : r + name;
    const auto write = [&] { writeFileAtomically(path, "new"); };
    EXPECT_EQ(errorNaming(path, true, [&] { fs.readTextFile(path); }), reading) << test::u8(path);
    EXPECT_EQ(errorNaming(path, true, [&] { fs.readFirstLine(path); }), reading) << test::u8(path);
    EXPECT_EQ(errorNaming(path, true, [&] { fs.listFolder(path); }), listing) << test::u8(path);
    EXPECT_EQ(errorNaming(path, true, write), nobodyWriting) << test::u8(path);
    EXPECT_EQ(writing == 0 ? 0 : errorNaming(path, false, write), writing) << test::u8(path);
  }
  const auto full = test::runCheck([&] {  // a write that fails half way
    const rlimit limit{2, 2};
    ::signal(SIGXFSZ, SIG_IGN), ::setrlimit(RLIMIT_FSIZE, &limit);
    return test::errorNumberOf([&] { writeFileAtomically(dir.u16("chain"), "longer"); });
  });
  EXPECT_EQ(full.status, 75);
  EXPECT_EQ(snapshot(dir.path()), before);
  // A link is replaced at its file, which keeps its mode and owner; any bytes make a name.
  writeFileAtomically(dir.u16("chain"), before["n\xFF.c"] = std::string("a\r\0b", 4));
  writeFileAtomically(dir.u16() + u"/caf\xDCE9", before["caf\xE9"] = "");
  EXPECT_EQ(snapshot(dir.path()), before);
  struct stat st {};
  EXPECT_EQ(::stat((dir.path() / "chain").c_str(), &st), 0);
  EXPECT_EQ(std::tuple(st.st_mode & 0777, st.st_uid, st.st_gid), std::tuple(0640u, 1234u, 0u));
}

// Files, then folders, each sorted by the bytes of their names; links to files are files,
// links to folders (a cycle among them), broken links and FIFOs are left out.
TEST_F(FileSystemTest, Listing) {
  const FolderListing listing = fs.listFolder(r + u"//");
  EXPECT_EQ(listing.path, r);
  EXPECT_EQ(listing.files,
            (std::vector<std::u16string>{r + u"/B.c", r + u"/_x", r + u"/b.c", r + u"/chain",
                                         r + u"/n\xDCFF.c", r + u"/read-only", r + u"/to-file",
                                         r + u"/\u00E9.c"}));
  EXPECT_EQ(listing.subFolders,
            (std::vector<std::u16string>{r + u"/Sub", r + u"/secret", r + u"/sub"}));
  EXPECT_EQ(fs.listFolder(r + u"/sub").subFolders, std::vector<std::u16string>{r + u"/sub/inner"});
  // A root that is a link is opened as given; "/" keeps its separator.
  EXPECT_EQ(fs.listFolder(r + u"/to-folder").subFolders,
            std::vector<std::u16string>{r + u"/to-folder/inner"});
  const FolderListing top = fs.listFolder(u"//");
  EXPECT_TRUE(top.path == u"/" && top.subFolders.front()[1] != u'/') << test::u8(top.path);
  for (const auto& f : listing.files) EXPECT_TRUE(fs.fileExists(f) && !fs.folderExists(f));
  for (const auto& f : listing.subFolders) EXPECT_TRUE(fs.folderExists(f) && !fs.fileExists(f));
  EXPECT_FALSE(fs.fileExists(r + u"/fifo") || fs.fileExists(r + u"/broken") || fs.fileExists(u""));
  // Names that are no UTF-8 are read by their listed path, every byte kept.
  EXPECT_EQ(fs.readTextFile(listing.files[4]).lines(),
            (std::vector<std::string_view>{"caf\xE9 \x80", "end"}));
  EXPECT_EQ(fs.readFirstLine(listing.files[4]) + "|" + fs.readFirstLine(r + u"/b.c"),
            "caf\xE9 \x80|");
}

}  // namespace
}  // namespace cvn
