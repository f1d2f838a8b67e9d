#include "compare/file_results.hpp"

#include <charconv>

#include "compare/tree_listing.hpp"
#include "platform/file_system.hpp"
#include "platform/utf.hpp"
#include "storage/schema.hpp"

namespace cvn::cli {
namespace {

constexpr std::string_view kFileStatement = "insert into file_compare_results(";

// The values of "(a,'b''c',3)": quoted ones unquoted, the others as they are.
std::vector<std::string> valuesOf(std::string_view list) {
  std::vector<std::string> values;
  size_t at = 0;
  while (at < list.size()) {
    std::string value;
    if (list[at] == '\'') {
      for (++at; at < list.size(); ++at) {
        if (list[at] == '\'') {
          if (at + 1 < list.size() && list[at + 1] == '\'') {
            value += '\'';
            ++at;
          } else {
            ++at;
            break;
          }
        } else {
          value += list[at];
        }
      }
    } else {
      const size_t comma = std::min(list.find(',', at), list.size());
      value = std::string(list.substr(at, comma - at));
      at = comma;
    }
    values.push_back(std::move(value));
    if (at < list.size() && list[at] == ',') ++at;
  }
  return values;
}

int64_t number(const std::string& text) {
  int64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

bool sameBytes(const std::u16string& one, const std::u16string& two) {
  FileSystem& fs = FileSystem::current();
  return fs.readTextFile(one).text() == fs.readTextFile(two).text();
}

}  // namespace

void collectFileCounts(std::u16string_view statements, RunFiles& files) {
  forEachStatement(utf16ToUtf8(statements), [&files](std::string_view statement) {
    if (!statement.starts_with(kFileStatement)) return;
    const size_t close = statement.find(')');
    const size_t open = statement.find('(', close);
    if (close == std::string_view::npos || open == std::string_view::npos) return;
    std::unordered_map<std::string_view, size_t> column;
    std::string_view names = statement.substr(kFileStatement.size(), close - kFileStatement.size());
    for (size_t k = 0; !names.empty(); ++k) {
      const size_t comma = std::min(names.find(','), names.size());
      column.emplace(trimmed(names.substr(0, comma)), k);
      names.remove_prefix(std::min(comma + 1, names.size()));
    }
    const std::vector<std::string> values =
        valuesOf(statement.substr(open + 1, statement.size() - open - 2));
    const auto value = [&](std::string_view name) -> std::optional<int64_t> {
      const auto found = column.find(name);
      if (found == column.end() || found->second >= values.size()) return std::nullopt;
      return number(values[found->second]);
    };
    const auto found = column.find("filename");
    if (found == column.end() || found->second >= values.size()) return;
    FileCounts& c = files.counts[values[found->second]];
    c.same = value("samelines").value_or(0);
    c.changed = value("changedlines").value_or(0);
    c.deleted = value("deletedlines").value_or(0);
    c.added = value("newlines").value_or(0);
    c.codeSame = value("samelines_code");
    c.codeChanged = value("changedlines_code");
    c.codeDeleted = value("deletedlines_code");
    c.codeAdded = value("newlines_code");
    c.commentSame = value("samelines_comments");
    c.commentChanged = value("changedlines_comments");
    c.commentDeleted = value("deletedlines_comments");
    c.commentAdded = value("newlines_comments");
    c.blankOld = value("blanklinesinold").value_or(0);
    c.blankNew = value("blanklinesinnew").value_or(0);
    c.linesOld = value("totallinesinold").value_or(0);
    c.linesNew = value("totallinesinnew").value_or(0);
  });
}

std::vector<FileEntry> listFileEntries(const RunPlan& plan, const std::u16string& oldRoot,
                                       const std::u16string& newRoot,
                                       const std::vector<std::vector<Rename>>& renames,
                                       const std::vector<RunFiles>& files, bool pairsCompared) {
  std::vector<FileEntry> entries;
  for (size_t k = 0; k < plan.runs.size(); ++k) {
    const PlannedRun& run = plan.runs[k];
    std::unordered_map<std::string, std::string> renamedFrom;  // new path -> old path
    if (k < renames.size()) {
      for (const Rename& rename : renames[k]) {
        renamedFrom.emplace(pathAfterRoot(rename.newFile, newRoot),
                            pathAfterRoot(rename.oldFile, oldRoot));
      }
    }
    std::unordered_map<std::string, const std::u16string*> newPaths;
    for (const std::u16string& file : run.newFiles)
      newPaths.emplace(pathAfterRoot(file, newRoot), &file);
    std::unordered_set<std::string> oldPaths;
    const auto add = [&](std::string path, std::string status) {
      FileEntry entry{std::move(path), std::nullopt, run.languageKey, std::move(status), {}, k};
      if (k < files.size()) {
        if (const auto found = files[k].counts.find(entry.path); found != files[k].counts.end()) {
          entry.counts = found->second;
        }
      }
      entries.push_back(std::move(entry));
      return &entries.back();
    };
    for (const std::u16string& file : run.oldFiles) {
      std::string path = pathAfterRoot(file, oldRoot);
      oldPaths.insert(path);
      const auto match = newPaths.find(path);
      if (const auto from = renamedFrom.find(path); from != renamedFrom.end()) {
        add(path, "renamed")->oldPath = from->second;
      } else if (match == newPaths.end()) {
        add(path, "deleted");
      } else {
        const bool same = pairsCompared ? k < files.size() && files[k].identical.contains(path)
                                        : sameBytes(file, *match->second);
        add(path, same ? "unchanged" : "modified");
      }
    }
    for (const std::u16string& file : run.newFiles) {
      std::string path = pathAfterRoot(file, newRoot);
      if (!oldPaths.contains(path)) add(path, "new");
    }
  }
  std::unordered_set<std::string> unknown;
  for (const auto* list : {&plan.unknownOldFiles, &plan.unknownNewFiles}) {
    const std::u16string& root = list == &plan.unknownOldFiles ? oldRoot : newRoot;
    for (const std::u16string& file : *list) {
      std::string path = pathAfterRoot(file, root);
      if (unknown.insert(path).second) {
        entries.push_back({std::move(path), std::nullopt, std::nullopt, "not counted", {}, 0});
      }
    }
  }
  return entries;
}

}  // namespace cvn::cli
