#pragma once

#include <string>

#include "summary/summary.hpp"

namespace cvn::cli {

// The summary as one JSON object, for programs:
//   {"old", "new", "database", "sessions": [ids], "languages": [one object per run with
//    "language", "key", "session" and the counts], "total": {the counts},
//    "unknown_files": {"old", "new"}}
// where the counts are "files" {same, deleted, new}, "code", "comments" and "lines"
// {same, changed, deleted, new} (code and comments null for the legacy comparer) and
// "blank" {old, new}. Bytes of paths that are not UTF-8 show as U+FFFD.
std::string renderSummaryJson(const Summary& summary);

}  // namespace cvn::cli
