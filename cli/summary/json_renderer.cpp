#include "summary/json_renderer.hpp"

#include <nlohmann/json.hpp>

namespace cvn::cli {
namespace {

// Keys keep the order they are written in.
using Json = nlohmann::ordered_json;

Json lineCounts(const LineTotals& lines) {
  return {{"same", lines.same},
          {"changed", lines.changed},
          {"deleted", lines.deleted},
          {"new", lines.added}};
}

Json counts(const SessionTotals& totals, bool split) {
  Json json;
  json["files"] = {{"unchanged", totals.unchangedFiles},
                   {"modified", totals.sameFiles - totals.unchangedFiles},
                   {"new", totals.newFiles},
                   {"deleted", totals.deletedFiles}};
  json["code"] = split ? lineCounts(totals.code) : Json(nullptr);
  json["comments"] = split ? lineCounts(totals.comments) : Json(nullptr);
  json["lines"] = lineCounts(totals.all);
  json["blank"] = {{"old", totals.blankOld}, {"new", totals.blankNew}};
  return json;
}

Json optionalCounts(const std::array<std::optional<int64_t>, 4>& counts) {
  if (!counts[0]) return nullptr;
  return {
      {"same", *counts[0]}, {"changed", *counts[1]}, {"deleted", *counts[2]}, {"new", *counts[3]}};
}

Json fileJson(const SummaryFile& file) {
  Json json;
  json["path"] = file.path;
  json["old_path"] = file.oldPath ? Json(*file.oldPath) : Json(nullptr);
  json["language"] = file.language ? Json(*file.language) : Json(nullptr);
  json["status"] = file.status;
  if (file.counts) {
    json["code"] = optionalCounts(file.counts->code);
    json["comments"] = optionalCounts(file.counts->comment);
    json["blank"] = {{"old", file.counts->blankOld}, {"new", file.counts->blankNew}};
  }
  return json;
}

}  // namespace

std::string renderSummaryJson(const Summary& summary) {
  Json json;
  json["old"] = summary.oldRoot;
  json["new"] = summary.newRoot;
  json["database"] = summary.stored ? Json(summary.database) : Json(nullptr);
  json["run"] = summary.stored ? Json(summary.run) : Json(nullptr);
  Json sessions = Json::array();
  Json languages = Json::array();
  for (const SummaryRow& row : summary.rows) {
    sessions.push_back(row.sessionId);
    Json language;
    language["language"] = row.label;
    language["key"] = row.key ? Json(*row.key) : Json(nullptr);
    language["session"] = row.sessionId;
    language.update(counts(row.totals, summary.split));
    languages.push_back(std::move(language));
  }
  json["sessions"] = std::move(sessions);
  json["languages"] = std::move(languages);
  json["total"] = counts(summary.total(), summary.split);
  json["unknown_files"] = {{"old", summary.unknownOld}, {"new", summary.unknownNew}};
  json["submodules_left_out"] = summary.submodules;
  if (summary.byFile) {
    Json files = Json::array();
    for (const SummaryFile& file : summary.files) files.push_back(fileJson(file));
    json["files"] = std::move(files);
  }
  Json renames = Json::array();
  for (const SummaryRename& r : summary.renames) {
    renames.push_back({{"language", r.label},
                       {"old", r.oldPath},
                       {"new", r.newPath},
                       {"similarity", r.similarity}});
  }
  json["renames"] = std::move(renames);
  return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace cvn::cli
