#include "export/export_texts.hpp"

#include <fmt/format.h>

#include <array>
#include <iterator>

#include "app/failure.hpp"
#include "platform/utf.hpp"

namespace cvn::cli {
namespace {

constexpr std::string_view kLineEnd = "|||";

class TextBuilder {
 public:
  explicit TextBuilder(int32_t sessionId) : sessionId_(sessionId) {}

  // One line of tab-separated cells.
  template <typename Cells>
  void line(const Cells& cells) {
    const size_t count = std::size(cells);
    size_t k = 0;
    for (const auto& cell : cells) {
      ++k;
      check(cell, k == count);
      if (k > 1) text_ += '\t';
      text_ += cell;
    }
    text_ += kLineEnd;
  }

  // Takes the text built so far.
  std::u16string take() {
    std::u16string text = utf8ToUtf16(text_);
    text_.clear();
    return text;
  }

 private:
  void check(std::string_view cell, bool last) const {
    const char* reason = nullptr;
    if (cell.find_first_of("\t\r\n") != std::string_view::npos) {
      reason = "it holds a tab or a line break";
    } else if (cell.find(kLineEnd) != std::string_view::npos) {
      reason = "it holds \"|||\"";
    } else if (last && cell.ends_with('|')) {
      // The line end mark would begin at the value's "|".
      reason = "it ends a line with \"|\"";
    }
    if (reason != nullptr) {
      throw CommandError(
          fmt::format("session {}: cannot export \"{}\": {}", sessionId_, cell, reason));
    }
  }

  int32_t sessionId_;
  std::string text_;
};

std::string className(const std::string& comparer) {
  if (comparer == "current") return "Corvane";
  if (comparer == "legacy") return "Corvane_old";
  return comparer;
}

void settingsLines(TextBuilder& text, int32_t sessionId, const StoredRun& run) {
  using Line = std::array<std::string, 2>;
  text.line(Line{"session", fmt::to_string(sessionId)});
  text.line(Line{"old root", run.oldRoot});
  text.line(Line{"new root", run.newRoot});
  text.line(Line{"language", run.language.value_or("(none)")});
  text.line(Line{"comment marker", run.commentChar});
  text.line(Line{"comment begin", run.multiBegComm});
  text.line(Line{"comment end", run.multiEndComm});
  text.line(Line{"threshold", run.threshold});
  text.line(Line{"compare type", run.compareType});
  text.line(Line{"class", className(run.comparer)});
  text.line(Line{"started", run.started});
}

}  // namespace

ExportTexts makeExportTexts(const StoredSession& session) {
  TextBuilder text(session.sessionId);
  ExportTexts texts;

  text.line(std::array{fmt::format("CVN comparison, session {}", session.sessionId)});
  for (const StoredRun& run : session.runs) settingsLines(text, session.sessionId, run);
  texts.topheader = text.take();

  text.line(kDirColumns);
  for (const StoredRow& row : session.dirRows) text.line(row);
  texts.topcontents = text.take();

  text.line(kFileColumns);
  texts.fileheader = text.take();

  for (const StoredRow& row : session.fileRows) text.line(row);
  texts.filecontents = text.take();
  return texts;
}

}  // namespace cvn::cli
