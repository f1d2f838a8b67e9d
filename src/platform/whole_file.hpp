#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "platform/error.hpp"
#include "platform/text_file.hpp"
#include "platform/utf.hpp"

namespace cvn {

// A file's bytes, read whole. `size` is what the system reports and `memory`
// the machine's physical memory; readSome(into, most) reads up to `most`
// bytes, returns how many (0 at the end) and raises its own errors. A file
// that cannot fit in memory is refused by name (7) before anything is
// allocated (its path named); one that grows while it is read is followed to its end.
template <typename ReadSome>
FileBytes readWholeFile(uint64_t size, uint64_t memory, const std::u16string& path,
                        ReadSome readSome) {
  if (size >= memory) raise(kOutOfMemory, utf16ToUtf8(path));
  FileBytes bytes;
  try {
    // One byte more than the size, so that the end shows without another read.
    bytes.resize(static_cast<size_t>(size) + 1);
  } catch (const std::bad_alloc&) {
    raise(kOutOfMemory, utf16ToUtf8(path));
  }
  size_t done = 0;
  for (;;) {
    if (done == bytes.size()) {
      if (bytes.size() >= memory / 2) raise(kOutOfMemory, utf16ToUtf8(path));
      try {
        bytes.resize(bytes.size() * 2);
      } catch (const std::bad_alloc&) {
        raise(kOutOfMemory, utf16ToUtf8(path));
      }
    }
    const size_t n = readSome(bytes.data() + done, bytes.size() - done);
    if (n == 0) break;
    done += n;
  }
  bytes.resize(done);
  return bytes;
}

// The bytes of the file at path, read whole as above: the one reader of file
// contents. Nothing when no such file exists (it, or a folder on its way, is
// missing); every other failure throws as FileSystem::readTextFile does.
std::optional<FileBytes> readFileIfPresent(const std::u16string& path);

}  // namespace cvn
