#include "compare/renames.hpp"

#include <algorithm>
#include <functional>
#include <unordered_set>

#include "platform/utf.hpp"

namespace cvn::cli {
namespace {

// What a file's content is made of, as far as pairing renames asks.
struct Content {
  std::vector<std::pair<size_t, int64_t>> lines;  // non-blank line hash, how often
  int64_t nonBlank = 0;
  size_t wholeHash = 0;
  size_t size = 0;
};

bool isBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

Content contentOf(const std::u16string& path) {
  const TextLines text = FileSystem::current().readTextFile(path);
  Content content;
  content.wholeHash = std::hash<std::string_view>{}(text.text());
  content.size = text.text().size();
  std::unordered_map<size_t, int64_t> counts;
  forEachLine(text.text(), [&](std::string_view line) {
    if (isBlank(line)) return;
    ++counts[std::hash<std::string_view>{}(line)];
    ++content.nonBlank;
  });
  content.lines.assign(counts.begin(), counts.end());
  return content;
}

std::u16string_view afterRoot(const std::u16string& path, const std::u16string& root) {
  return std::u16string_view(path).substr(std::min(root.size(), path.size()));
}

std::u16string_view fileName(std::u16string_view path) {
  const size_t slash = path.find_last_of(u"/\\");
  return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

// The files of one side whose path after the root the other side does not have.
std::vector<const std::u16string*> onlyIn(const std::vector<std::u16string>& files,
                                          const std::u16string& root,
                                          const std::vector<std::u16string>& others,
                                          const std::u16string& otherRoot) {
  std::unordered_set<std::u16string_view> present;
  for (const std::u16string& other : others) present.insert(afterRoot(other, otherRoot));
  std::vector<const std::u16string*> only;
  for (const std::u16string& file : files) {
    if (!present.contains(afterRoot(file, root))) only.push_back(&file);
  }
  return only;
}

std::vector<Content> contentsOf(const std::vector<const std::u16string*>& files, WorkPool& pool) {
  std::vector<Content> contents(files.size());
  pool.forEachInOrder(files.size(), [&](size_t k) -> WorkPool::Finish {
    contents[k] = contentOf(*files[k]);
    return {};
  });
  return contents;
}

struct Candidate {
  size_t deleted;
  size_t added;
  int64_t shared;
  int64_t larger;  // non-blank lines of the larger file
  bool identical;
};

}  // namespace

std::vector<Rename> findRenames(const PlannedRun& run, const std::u16string& oldRoot,
                                const std::u16string& newRoot, int minimum, WorkPool& pool) {
  const auto deleted = onlyIn(run.oldFiles, oldRoot, run.newFiles, newRoot);
  const auto added = onlyIn(run.newFiles, newRoot, run.oldFiles, oldRoot);
  if (deleted.empty() || added.empty()) return {};
  const std::vector<Content> deletedContent = contentsOf(deleted, pool);
  const std::vector<Content> addedContent = contentsOf(added, pool);

  // Each line of the new files, with the files that hold it and how often.
  std::unordered_map<size_t, std::vector<std::pair<size_t, int64_t>>> holders;
  std::unordered_map<size_t, std::vector<size_t>> byWholeHash;
  for (size_t j = 0; j < added.size(); ++j) {
    for (const auto& [hash, count] : addedContent[j].lines) holders[hash].emplace_back(j, count);
    byWholeHash[addedContent[j].wholeHash].push_back(j);
  }

  std::vector<Candidate> candidates;
  std::vector<int64_t> shared(added.size(), 0);
  std::vector<size_t> touched;
  for (size_t i = 0; i < deleted.size(); ++i) {
    const Content& one = deletedContent[i];
    for (const auto& [hash, count] : one.lines) {
      const auto found = holders.find(hash);
      if (found == holders.end()) continue;
      for (const auto& [j, countThere] : found->second) {
        if (shared[j] == 0) touched.push_back(j);
        shared[j] += std::min(count, countThere);
      }
    }
    std::unordered_set<size_t> identical;
    if (const auto same = byWholeHash.find(one.wholeHash); same != byWholeHash.end()) {
      for (const size_t j : same->second) {
        if (addedContent[j].size == one.size) identical.insert(j);
      }
    }
    for (const size_t j : identical) {
      if (shared[j] == 0) touched.push_back(j);
    }
    for (const size_t j : touched) {
      const int64_t larger = std::max(one.nonBlank, addedContent[j].nonBlank);
      const bool same = identical.contains(j);
      if (same || (larger > 0 && shared[j] * 100 >= int64_t{minimum} * larger)) {
        candidates.push_back({i, j, shared[j], larger, same});
      }
      shared[j] = 0;
    }
    touched.clear();
  }

  const auto names = [&](const Candidate& c) {
    return std::pair{utf16ToUtf8(*deleted[c.deleted]), utf16ToUtf8(*added[c.added])};
  };
  std::sort(candidates.begin(), candidates.end(), [&](const Candidate& a, const Candidate& b) {
    if (a.identical != b.identical) return a.identical;
    // a.shared / a.larger against b.shared / b.larger, without rounding.
    const int64_t left = a.shared * std::max<int64_t>(b.larger, 1);
    const int64_t right = b.shared * std::max<int64_t>(a.larger, 1);
    if (left != right) return left > right;
    const bool sameNameA = fileName(*deleted[a.deleted]) == fileName(*added[a.added]);
    const bool sameNameB = fileName(*deleted[b.deleted]) == fileName(*added[b.added]);
    if (sameNameA != sameNameB) return sameNameA;
    return names(a) < names(b);
  });

  std::vector<Rename> renames;
  std::vector<bool> deletedTaken(deleted.size()), addedTaken(added.size());
  for (const Candidate& c : candidates) {
    if (deletedTaken[c.deleted] || addedTaken[c.added]) continue;
    deletedTaken[c.deleted] = addedTaken[c.added] = true;
    const int similarity =
        c.identical || c.larger == 0 ? 100 : static_cast<int>(c.shared * 100 / c.larger);
    renames.push_back({*deleted[c.deleted], *added[c.added], similarity});
  }
  std::sort(renames.begin(), renames.end(),
            [](const Rename& a, const Rename& b) { return a.newFile < b.newFile; });
  return renames;
}

void RenamedFiles::add(PlannedRun& run, const std::u16string& oldRoot,
                       const std::u16string& newRoot, const std::vector<Rename>& renames) {
  std::unordered_map<std::u16string_view, std::u16string> listedAs;
  for (const Rename& rename : renames) {
    std::u16string listed = oldRoot + std::u16string(afterRoot(rename.newFile, newRoot));
    oldPlaces_.emplace(listed, rename.oldFile);
    listedAs.emplace(rename.oldFile, std::move(listed));
  }
  for (std::u16string& file : run.oldFiles) {
    if (const auto found = listedAs.find(file); found != listedAs.end()) file = found->second;
  }
}

TextLines RenamedFiles::readTextFile(const std::u16string& path) {
  const auto renamed = oldPlaces_.find(path);
  return underneath_.readTextFile(renamed == oldPlaces_.end() ? path : renamed->second);
}

bool RenamedFiles::fileExists(const std::u16string& path) {
  return oldPlaces_.contains(path) || underneath_.fileExists(path);
}

}  // namespace cvn::cli
