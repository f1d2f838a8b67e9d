#include "count/count_paths.hpp"

#include <fmt/format.h>

#include <map>
#include <memory>
#include <set>

#include "app/failure.hpp"
#include "app/paths.hpp"
#include "compare/run_plan.hpp"
#include "compare/tree_listing.hpp"
#include "component/corvane.hpp"
#include "platform/error.hpp"
#include "platform/file_system.hpp"
#include "platform/utf.hpp"
#include "platform/work_pool.hpp"

namespace cvn::cli {
namespace {

// The group of the markers given by hand, after every language of the table.
const size_t kCustomMarkers = languages().size();

struct File {
  std::u16string path;
  size_t group;  // a language of the table, or kCustomMarkers
};

class Counting {
 public:
  explicit Counting(const CountRequest& request) : request_(request) {
    if (request.language) {
      forced_ = request.language;
    } else if (request.comment || request.begin || request.end) {
      forced_ = kCustomMarkers;
    }
  }

  // Adds a file or the files of a folder, each file once however often it is named.
  void add(const std::string& typed);
  CountReport count() const;

 private:
  std::unique_ptr<Corvane> counterFor(size_t group) const;

  const CountRequest& request_;
  std::optional<size_t> forced_;  // the one group of every file
  std::vector<File> files_;
  std::set<std::u16string> seen_;
  int64_t unknown_ = 0;
};

void Counting::add(const std::string& typed) {
  if (typed.empty()) raise(kFileNotFound, "\"\"");
  FileSystem& fs = FileSystem::current();
  std::u16string path = utf8ToUtf16(normalRoot(typed));
  if (fs.folderExists(path)) {
    for (std::u16string& file : listTree(path, request_.filter)) {
      if (seen_.contains(file)) continue;
      const auto group = forced_ ? forced_ : languageOfPath(file, request_.overrides);
      if (!group) {
        ++unknown_;
        continue;
      }
      seen_.insert(file);
      files_.push_back({std::move(file), *group});
    }
    return;
  }
  if (seen_.contains(path)) return;
  const auto group = forced_ ? forced_ : languageOfPath(path, request_.overrides);
  if (!group) {
    // A file that is not there fails as reading it does.
    if (!fs.fileExists(path)) fs.readFirstLine(path);
    // Counting with no markers would report every line as code: refuse rather than guess.
    throw CommandError(fmt::format(
        "{}: no known language; give --lang, or the markers with --comment, --begin and --end",
        typed));
  }
  seen_.insert(path);
  files_.push_back({std::move(path), *group});
}

std::unique_ptr<Corvane> Counting::counterFor(size_t group) const {
  auto counter = std::make_unique<Corvane>();
  ComparerState& settings = counter->state();
  if (group != kCustomMarkers) {
    const Language& entry = languages()[group];
    settings.commentChar = utf8ToUtf16(entry.comment);
    settings.multiBegComm = utf8ToUtf16(entry.begin);
    settings.multiEndComm = utf8ToUtf16(entry.end);
  }
  // Markers given by hand replace the language's.
  if (request_.comment) settings.commentChar = utf8ToUtf16(*request_.comment);
  if (request_.begin) settings.multiBegComm = utf8ToUtf16(*request_.begin);
  if (request_.end) settings.multiEndComm = utf8ToUtf16(*request_.end);
  return counter;
}

CountReport Counting::count() const {
  std::map<size_t, std::unique_ptr<Corvane>> counters;  // in table order
  for (const File& file : files_) {
    if (!counters.contains(file.group)) counters[file.group] = counterFor(file.group);
  }
  // The files are counted on every core, and summed in order; the first failure stops.
  std::map<size_t, CountRow> rows;
  WorkPool pool;
  pool.forEachInOrder(files_.size(), [&](size_t k) -> WorkPool::Finish {
    const PhysicalCounts counts = counters.at(files_[k].group)->countFile(files_[k].path);
    return [&rows, group = files_[k].group, counts] { rows[group].add(counts); };
  });

  CountReport report;
  report.total.label = "total";
  report.unknownFiles = unknown_;
  for (auto& [group, row] : rows) {
    if (group == kCustomMarkers) {
      row.label = "custom markers";
    } else {
      row.label = std::string(languages()[group].name);
      row.key = std::string(languages()[group].key);
    }
    report.total.add(row);
    report.rows.push_back(std::move(row));
  }
  return report;
}

}  // namespace

CountReport countPaths(const CountRequest& request) {
  Counting counting(request);
  for (const std::string& path : request.paths) counting.add(path);
  return counting.count();
}

}  // namespace cvn::cli
