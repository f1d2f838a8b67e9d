#pragma once

#include <string>

#include "export/run_reader.hpp"

namespace cvn::cli {

// The four texts the component's exportFile takes, every line ended by "|||".
struct ExportTexts {
  std::u16string topheader;     // a title line, then the settings of the session's runs
  std::u16string topcontents;   // the directory counts: column names, then one line a row
  std::u16string fileheader;    // the per-file column names, tab-separated
  std::u16string filecontents;  // one tab-separated line per file row
};

// A value that would break the line structure (a tab, a line break, "|||", or a "|" just
// before a line's end mark) is refused with a CommandError naming it.
ExportTexts makeExportTexts(const StoredSession& session);

}  // namespace cvn::cli
