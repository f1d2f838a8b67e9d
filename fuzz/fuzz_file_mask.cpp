// Roots split into folder and mask, and files matched by relative path.
//
// stripFileMask asks the file system whether a root is an existing folder, so
// the real file system is only asked about paths under a folder that does not
// exist; everything else goes to a stand-in that knows a few folders.
//
// Input: a flag byte, a root, two more roots and two relative paths (each a
// length byte, then one byte per piece, see piece()).

#include <cstdint>
#include <iterator>
#include <set>
#include <string>

#include "fuzz_input.hpp"
#include "platform/error.hpp"
#include "platform/file_system.hpp"
#include "tree/directory_comparison.hpp"
#include "tree/file_list.hpp"
#include "tree/file_mask.hpp"
#include "tree/file_matching.hpp"

namespace cvn::fuzz {
namespace {

constexpr std::u16string_view kMissingPrefix = u"/nonexistent-cvn-fuzz/";

// A file system that holds only the given folders, all empty.
class KnownFolders final : public FileSystem {
 public:
  std::set<std::u16string> folders;

  TextLines readTextFile(const std::u16string& path) override {
    raise(kFileNotFound, utf16ToUtf8(path));
  }
  FolderListing listFolder(const std::u16string& path) override {
    if (!folderExists(path)) raise(kPathNotFound, utf16ToUtf8(path));
    FolderListing listing;
    listing.path = path;
    while (listing.path.size() > 1 && listing.path.back() == u'/') listing.path.pop_back();
    return listing;
  }
  bool fileExists(const std::u16string&) override { return false; }
  bool folderExists(const std::u16string& path) override { return folders.contains(path); }
};

// Path pieces: separators, dots and stars are what the mask split looks at.
std::u16string piece(Input& in) {
  using namespace std::string_view_literals;
  static const std::u16string_view kPieces[] = {u"/",  u"\\", u".", u"*",    u"a",   u"b",
                                                u"..", u" ",  u"|", u"'",    u"\r",  u"\n",
                                                u"c",  u"*.", u"~", u"java", u"\0"sv};
  const uint8_t b = in.byte();
  constexpr size_t kCount = std::size(kPieces);
  if (b < 4 * kCount) return std::u16string(kPieces[b % kCount]);
  return std::u16string(1, in.characterOf(b));
}

std::u16string path(Input& in) {
  const size_t pieces = in.byte() % 24;
  std::u16string out;
  for (size_t k = 0; k < pieces && !in.empty(); ++k) out += piece(in);
  return out;
}

// What the split must give for a root that is no existing folder.
struct Expected {
  bool fails = false;
  MaskedRoot result;
};

Expected expectedSplit(const std::u16string& root) {
  Expected e;
  const size_t separator = root.find_last_of(u"/\\");
  if (separator == std::u16string::npos) {
    e.fails = true;
    return e;
  }
  const std::u16string component = root.substr(separator + 1);
  const bool star = !component.empty() && component.back() == u'*';
  const size_t dot = component.find_last_of(u'.');
  e.result.maskSeen = dot != std::u16string::npos || (star && component.size() >= 2);
  e.result.maskSuffix = star                          ? u"*"
                        : dot != std::u16string::npos ? component.substr(dot + 1)
                                                      : component;
  e.result.directory = e.result.maskSeen ? root.substr(0, separator + 1) : root;
  return e;
}

std::string describe(const std::u16string& root, const MaskedRoot& got) {
  return "root " + show(root) + " gave " + show(got.directory) + " mask " + show(got.maskSuffix) +
         " seen " + std::to_string(got.maskSeen);
}

void checkSplit(const std::u16string& root, bool existing) {
  Expected e = expectedSplit(root);
  if (existing && !root.empty()) e = {false, {root, u"", false}};
  if (root.empty()) e.fails = true;
  MaskedRoot got;
  int32_t error = 0;
  try {
    got = stripFileMask(root);
  } catch (const Error& failure) {
    error = failure.number();
  }
  if (e.fails) {
    CVN_FUZZ_CHECK(error == kInvalidArgument,
                   "root " + show(root) + " error " + std::to_string(error));
    return;
  }
  CVN_FUZZ_CHECK(error == 0, "root " + show(root) + " error " + std::to_string(error));
  CVN_FUZZ_CHECK(got.directory == e.result.directory && got.maskSuffix == e.result.maskSuffix &&
                     got.maskSeen == e.result.maskSeen,
                 describe(root, got));
  // Consequences that hold whatever the rule's details.
  CVN_FUZZ_CHECK(root.starts_with(got.directory), describe(root, got));
  CVN_FUZZ_CHECK(root.ends_with(got.maskSuffix), describe(root, got));
  if (endsWithSeparator(root))
    CVN_FUZZ_CHECK(got.directory == root && !got.maskSeen, describe(root, got));
  if (got.maskSeen) CVN_FUZZ_CHECK(endsWithSeparator(got.directory), describe(root, got));

  const std::u16string normal = normalizeRoot(root);
  CVN_FUZZ_CHECK(normal == withTrailingSeparator(got.directory), describe(root, got));

  // The listing scans the split's folder, or says "1" when it does not exist.
  std::u16string folderList = u"left over";
  std::u16string scanRoot;
  const std::u16string files = getFileList({folderList, scanRoot}, root);
  const bool scanned = FileSystem::current().folderExists(got.directory);
  CVN_FUZZ_CHECK(files == (scanned ? u"" : u"1"), describe(root, got));
  CVN_FUZZ_CHECK(scanned ? folderList.ends_with(u"\r") : folderList.empty(), describe(root, got));
}

void checkMatch(Input& in) {
  const std::u16string rootSource = path(in);
  const std::u16string rootCompare = path(in);
  const std::u16string relOne = path(in);
  const std::u16string relTwo = path(in);
  const uint8_t how = in.byte();
  const std::u16string file = (how & 1) ? relOne : withTrailingSeparator(rootSource) + relOne;
  const std::u16string against = (how & 2) ? relTwo : withTrailingSeparator(rootCompare) + relTwo;
  const auto what = [&] {
    return show(rootSource) + " " + show(rootCompare) + " " + show(file) + " " + show(against);
  };

  const int16_t match = matchFiles(rootSource, rootCompare, file, against);
  CVN_FUZZ_CHECK(match == 0 || match == 1, what());
  CVN_FUZZ_CHECK(matchFiles(rootCompare, rootSource, against, file) == match, what());
  CVN_FUZZ_CHECK(matchFiles(rootSource, rootSource, file, file) == 1, what());
  if (!endsWithSeparator(rootSource)) {
    CVN_FUZZ_CHECK(matchFiles(rootSource + u"/", rootCompare, file, against) == match, what());
  }
  if ((how & 3) == 0) CVN_FUZZ_CHECK(match == (relOne == relTwo ? 1 : 0), what());

  const std::u16string rootWithSeparator = withTrailingSeparator(rootSource);
  const std::u16string_view relative = relativePath(file, rootWithSeparator);
  CVN_FUZZ_CHECK(std::u16string_view(file).ends_with(relative), what());
  CVN_FUZZ_CHECK(relative.empty() == (file.size() <= rootWithSeparator.size()), what());
}

void run(Input& in) {
  const uint8_t flags = in.byte();
  const std::u16string tail = path(in);
  if (flags & 1) {
    // Under a missing folder nothing exists, whatever follows ("..", NUL, lone surrogates).
    const std::u16string root = std::u16string(kMissingPrefix) + tail;
    CVN_FUZZ_CHECK(!FileSystem::current().folderExists(root), show(root));
    CVN_FUZZ_CHECK(!FileSystem::current().fileExists(root), show(root));
    checkSplit(root, false);
  } else {
    KnownFolders known;
    const ScopedFileSystem installed(known);
    if (flags & 2) known.folders.insert(tail);
    if (flags & 4) {
      const size_t separator = tail.find_last_of(u"/\\");
      if (separator != std::u16string::npos) known.folders.insert(tail.substr(0, separator + 1));
    }
    checkSplit(tail, known.folderExists(tail));
  }
  checkMatch(in);
}

}  // namespace
}  // namespace cvn::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  cvn::fuzz::Input in(data, size);
  cvn::fuzz::run(in);
  return 0;
}
