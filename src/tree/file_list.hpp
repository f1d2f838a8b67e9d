#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/comparer_state.hpp"

namespace cvn {

// getFileList: the selected files of a folder tree (the argument may end in a
// mask), joined by carriage returns; "" when none; "1" when the folder does
// not exist.
std::u16string getFileList(ComparerState& state, const std::u16string& path);

// The same selection as a list, so that hosts can check each path before it
// travels in a joined list; nothing when the folder does not exist.
std::optional<std::vector<std::u16string>> listFiles(ComparerState& state,
                                                     const std::u16string& path);

// scanDir: appends the folder and, depth first in pre-order, every folder below
// it to strFolderList. Format "2" records the folder itself without the first
// characters of strScanRoot; subfolders are always recorded whole.
void scanDir(ComparerState& state, const std::u16string& strDir, const std::u16string& strFormat);

int16_t checkFileExists(const std::u16string& filename);
int16_t checkDirExists(const std::u16string& directory);

}  // namespace cvn
