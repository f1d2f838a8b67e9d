#pragma once

#include <string>
#include <string_view>

namespace cvn {

// Replaces a file's content as one step, so that a failed or interrupted write
// never leaves a half-written file: the bytes go to a temporary file in the
// target's folder, reach the disk, and only then are renamed over the target.
// A target that is a symbolic link is replaced at the file it points to, so the
// link stays; an existing target keeps its permission bits.
//
// Paths are UTF-16 as in FileSystem (U+DC80-U+DCFF stand for raw bytes).
// Failures throw cvn::Error naming the path and leave an existing target
// untouched and no temporary file behind: 76 when the folder does not exist,
// 70 when the target or its folder may not be written (a file without any
// write permission is read-only even for a privileged user), 75 otherwise.
void writeFileAtomically(const std::u16string& path, std::string_view bytes);

}  // namespace cvn
