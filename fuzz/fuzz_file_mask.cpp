// Roots split into folder and mask against a model of the rule; files matched by relative path.
// The real file system sees only paths under a missing folder, else a stand-in knows some.
// Input: a flag byte, a root, two roots and two relative paths (see path()), a choice byte.

#include <set>

#include "fuzz_input.hpp"
#include "platform/file_system.hpp"
#include "support/error_number.hpp"
#include "tree/directory_comparison.hpp"
#include "tree/file_mask.hpp"
#include "tree/file_matching.hpp"

namespace cvn::fuzz {
namespace {

struct KnownFolders final : FileSystem {
  std::set<std::u16string> folders;
  TextLines readTextFile(const std::u16string&) override { raise(kFileNotFound); }
  FolderListing listFolder(const std::u16string& path) override {
    if (!folderExists(path)) raise(kPathNotFound);
    return {path, {}, {}};
  }
  bool fileExists(const std::u16string&) override { return false; }
  bool folderExists(const std::u16string& path) override { return folders.contains(path); }
};

// A length byte, then pieces: separators, dots and stars, which the split looks at, or characters.
std::u16string path(Input& in) {
  static const std::u16string_view kPieces[] = {u"/", u"\\", u".",  u"*",    u"a",      u"..",
                                                u" ", u"|",  u"*.", u"java", {u"\0", 1}};
  std::u16string out;
  for (size_t k = in.byte() % 24; k > 0 && !in.empty(); --k) {
    const uint8_t b = in.byte();
    out += b < 4 * std::size(kPieces) ? std::u16string(kPieces[b % std::size(kPieces)])
                                      : std::u16string(1, in.character(b));
  }
  return out;
}

void checkSplit(const std::u16string& root) {
  constexpr size_t npos = std::u16string::npos;
  MaskedRoot expected{root, u"", false};
  const size_t separator = root.find_last_of(u"/\\");
  const bool existing = !root.empty() && FileSystem::current().folderExists(root);
  if (!existing && separator != npos) {
    const std::u16string component = root.substr(separator + 1);
    const bool star = component.ends_with(u'*');
    const size_t dot = component.find_last_of(u'.');
    expected.maskSeen = dot != npos || (star && component.size() >= 2);
    expected.maskSuffix = star ? u"*" : dot != npos ? component.substr(dot + 1) : component;
    expected.directory = expected.maskSeen ? root.substr(0, separator + 1) : root;
  }
  MaskedRoot got;
  const int32_t error = test::errorNumberOf([&] { got = stripFileMask(root); });
  CVN_FUZZ_CHECK(error == (existing || separator != npos ? 0 : kInvalidArgument));
  if (error != 0) return;
  CVN_FUZZ_CHECK(got.directory == expected.directory && got.maskSuffix == expected.maskSuffix &&
                 got.maskSeen == expected.maskSeen);
  CVN_FUZZ_CHECK(normalizeRoot(root) == withTrailingSeparator(got.directory));
}

void checkMatch(Input& in) {
  const std::u16string rootOne = path(in), rootTwo = path(in), one = path(in), two = path(in);
  const uint8_t how = in.byte();
  const std::u16string file = how & 1 ? one : withTrailingSeparator(rootOne) + one;
  const std::u16string against = how & 2 ? two : withTrailingSeparator(rootTwo) + two;
  const int16_t match = matchFiles(rootOne, rootTwo, file, against);
  CVN_FUZZ_CHECK(matchFiles(rootTwo, rootOne, against, file) == match &&
                 matchFiles(rootOne, rootOne, file, file) == 1);
  CVN_FUZZ_CHECK(matchFiles(rootOne + u"/", rootTwo, file, against) == match ||
                 endsWithSeparator(rootOne));
  CVN_FUZZ_CHECK((how & 3) != 0 || match == (one == two ? 1 : 0));
}

}  // namespace
}  // namespace cvn::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace cvn;
  fuzz::Input in(data, size);
  const uint8_t flags = in.byte();
  const std::u16string tail = fuzz::path(in);
  if (flags & 1) {
    // Under a missing folder nothing exists, whatever follows ("..", NUL, lone surrogates).
    fuzz::checkSplit(u"/nonexistent-cvn-fuzz/" + tail);
  } else {
    fuzz::KnownFolders known;
    const ScopedFileSystem installed(known);
    if (flags & 2) known.folders.insert(tail);
    if (flags & 4) known.folders.insert(tail.substr(0, tail.find_last_of(u"/\\") + 1));
    fuzz::checkSplit(tail);
  }
  fuzz::checkMatch(in);
  return 0;
}
