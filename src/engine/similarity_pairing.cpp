#include "engine/similarity_pairing.hpp"

#include <algorithm>
#include <array>
#include <limits>

#include "engine/similarity_kernels.hpp"
#include "platform/error.hpp"

namespace cvn {
namespace {

using similarity_detail::kCoarseBytes;
using similarity_detail::kScanPadEntries;

constexpr size_t kMaxFineBytes = 64;
// Counts of dropped values go to a spare slot past the real ones, so counting
// needs no branch.
constexpr uint8_t kCoarseSpare = kCoarseBytes;
constexpr uint8_t kFineSpare = kMaxFineBytes + 1;
constexpr size_t kNone = std::numeric_limits<size_t>::max();
// Position windows of several buckets end at kFirstWindow << t.
constexpr size_t kFirstWindow = 64;
// Aim for about this many entries per bucket in the first window.
constexpr double kEntriesPerWindow = 32.0;
// Past this many entries, a window range is cut at the best hit by binary search
// rather than scanned whole.
constexpr size_t kCutAbove = 64;
// Line flags: a count was clipped, so the vector is no longer exact.
constexpr uint8_t kCoarseSat = 1;
constexpr uint8_t kFineSat = 2;

// Where each byte value's count goes. Values whose count is the same in every
// line add nothing to any distance and are dropped.
struct ByteMap {
  std::array<uint8_t, 256> coarseBin{};  // rank mod 16, or kCoarseSpare
  std::array<uint8_t, 256> fineSlot{};   // rank below fineBytes, else fineBytes ("other"),
                                         // or kFineSpare
  size_t fineBytes = 0;                  // 0 when at most 16 values vary: coarse is exact
};

// For each byte value: how many lines hold it, its total count and its largest
// count in one line. It is constant when every line holds it that largest count.
class ByteStats {
 public:
  void add(std::string_view line) {
    ++lines_;
    // The line's distinct values, listed without a branch (a value's first byte
    // advances the list).
    size_t distinct = 0;
    for (unsigned char c : line) {
      values_[distinct] = c;
      distinct += scratch_[c]++ == 0 ? 1 : 0;
    }
    for (size_t i = 0; i < distinct; ++i) {
      const uint8_t c = values_[i];
      const uint64_t n = scratch_[c];
      scratch_[c] = 0;
      ++linesWith_[c];
      total_[c] += n;
      maxCount_[c] = std::max(maxCount_[c], n);
    }
  }

  // Varying values ranked by how many lines hold them, most first: the common
  // ones get bins of their own and the exact second level.
  ByteMap map() const {
    std::array<int, 256> varying{};
    size_t count = 0;
    for (int v = 0; v < 256; ++v) {
      const auto u = static_cast<size_t>(v);
      const bool constant =
          linesWith_[u] == 0 || (linesWith_[u] == lines_ && total_[u] % lines_ == 0 &&
                                 total_[u] / lines_ == maxCount_[u]);
      if (!constant) {
        varying[count++] = v;
      }
    }
    std::stable_sort(
        varying.begin(), varying.begin() + static_cast<ptrdiff_t>(count), [this](int a, int b) {
          return linesWith_[static_cast<size_t>(a)] > linesWith_[static_cast<size_t>(b)];
        });
    ByteMap map;
    map.coarseBin.fill(kCoarseSpare);
    map.fineSlot.fill(kFineSpare);
    if (count > kCoarseBytes) map.fineBytes = std::min(kMaxFineBytes, (count + 15) / 16 * 16);
    for (size_t rank = 0; rank < count; ++rank) {
      const auto v = static_cast<size_t>(varying[rank]);
      map.coarseBin[v] = static_cast<uint8_t>(rank % kCoarseBytes);
      if (map.fineBytes != 0) map.fineSlot[v] = static_cast<uint8_t>(std::min(rank, map.fineBytes));
    }
    return map;
  }

 private:
  size_t lines_ = 0;
  std::array<uint64_t, 256> scratch_{};
  std::array<uint8_t, 257> values_{};
  std::array<size_t, 256> linesWith_{};
  std::array<uint64_t, 256> total_{};
  std::array<uint64_t, 256> maxCount_{};
};

// The vectors of one line. Clipping counts at 255 and merging values into one
// bin only shrink the |a - b| terms, so sums over them are lower bounds.
struct LineVectors {
  std::array<uint8_t, kCoarseBytes> coarse{};
  std::array<uint8_t, kMaxFineBytes> fine{};
  uint32_t other = 0;  // total count of the varying values past the fine slots
  uint8_t flags = 0;
};

void describe(std::string_view line, const ByteMap& map, LineVectors& out) {
  std::array<uint64_t, kCoarseSpare + 1> coarse{};
  std::array<uint64_t, kFineSpare + 1> fine{};
  if (map.fineBytes == 0) {
    for (unsigned char c : line) ++coarse[map.coarseBin[c]];
  } else {
    for (unsigned char c : line) {
      ++coarse[map.coarseBin[c]];
      ++fine[map.fineSlot[c]];
    }
  }
  out.flags = 0;
  for (size_t i = 0; i < kCoarseBytes; ++i) {
    if (coarse[i] > 255) out.flags |= kCoarseSat;
    out.coarse[i] = static_cast<uint8_t>(std::min<uint64_t>(coarse[i], 255));
  }
  for (size_t i = 0; i < map.fineBytes; ++i) {
    if (fine[i] > 255) out.flags |= kFineSat;
    out.fine[i] = static_cast<uint8_t>(std::min<uint64_t>(fine[i], 255));
  }
  const uint64_t other = fine[map.fineBytes];
  if (other > std::numeric_limits<uint32_t>::max()) out.flags |= kFineSat;
  out.other =
      static_cast<uint32_t>(std::min<uint64_t>(other, std::numeric_limits<uint32_t>::max()));
}

// std::popcount is a library call where the popcnt instruction is not baseline.
inline size_t countOnes(uint64_t x) {
  x -= (x >> 1) & 0x5555555555555555u;
  x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<size_t>((x * 0x0101010101010101u) >> 56);
}

// One length of new lines: its entries in position order.
struct Bucket {
  size_t length = 0;
  size_t start = 0;    // first entry still kept
  size_t end = 0;      // one past the last entry
  size_t dead = 0;     // dead entries in [start, end)
  size_t wasted = 0;   // dead entries met by scans since the last compaction
  size_t touched = 0;  // end of the prefix scanned since then
};

class SimilarityPairer {
 public:
  SimilarityPairer(std::span<const std::string_view> oldLines,
                   std::span<const std::string_view> newLines, std::span<uint8_t> newPaired,
                   int16_t threshold)
      : oldLines_(oldLines),
        newLines_(newLines),
        newPaired_(newPaired),
        threshold_(threshold),
        scan_(similarity_detail::coarseScan()) {}

  std::vector<LinePair> run() {
    buildIndex();
    for (size_t i = 0; i < oldLines_.size() && live_ != 0; ++i) {
      const std::string_view line = oldLines_[i];
      const size_t len = line.size();
      const auto t = static_cast<size_t>(threshold_);
      const size_t lo = len > t ? len - t : 0;
      const size_t hi = len + t;
      const auto bLo = static_cast<size_t>(std::lower_bound(lengths_.begin(), lengths_.end(), lo) -
                                           lengths_.begin());
      const auto bHi = static_cast<size_t>(std::upper_bound(lengths_.begin(), lengths_.end(), hi) -
                                           lengths_.begin());
      if (bLo == bHi) continue;
      if (len + lengths_.back() <= t) {
        // Every unpaired new line lies within reach: take the first one.
        while (newPaired_[firstFree_] != 0) ++firstFree_;
        const size_t k = entryOf_[firstFree_];
        matchBucket_ = static_cast<size_t>(
            std::lower_bound(lengths_.begin(), lengths_.end(), newLines_[firstFree_].size()) -
            lengths_.begin());
        pair(i, k);
        continue;
      }
      old_ = line;
      describe(line, map_, probe_);
      const size_t k = findMatch(bLo, bHi);
      if (k != kNone) pair(i, k);
      if (histReady_) {
        for (unsigned char c : old_) hist_[c] = 0;
        histReady_ = false;
      }
      for (size_t b = bLo; b < bHi; ++b) {
        Bucket& bucket = buckets_[b];
        if (bucket.wasted > 2 * (bucket.touched - bucket.start)) compact(bucket);
      }
    }
    return std::move(pairs_);
  }

 private:
  void pair(size_t i, size_t k) {
    pairs_.push_back({static_cast<int32_t>(i), pos_[k]});
    newPaired_[static_cast<size_t>(pos_[k])] = 1;
    alive_[k >> 6] &= ~(uint64_t{1} << (k & 63));
    ++buckets_[matchBucket_].dead;
    --live_;
  }

  void buildIndex() {
    ByteStats stats;
    for (std::string_view line : oldLines_) stats.add(line);
    std::vector<int32_t> order;
    for (size_t j = 0; j < newLines_.size(); ++j) {
      if (newPaired_[j] != 0) continue;
      stats.add(newLines_[j]);
      order.push_back(static_cast<int32_t>(j));
    }
    map_ = stats.map();
    std::stable_sort(order.begin(), order.end(), [this](int32_t a, int32_t b) {
      return newLines_[static_cast<size_t>(a)].size() < newLines_[static_cast<size_t>(b)].size();
    });

    const size_t count = order.size();
    live_ = count;
    fineBytes_ = map_.fineBytes;
    coarse_.assign((count + kScanPadEntries) * kCoarseBytes, 0);
    fine_.assign(count * fineBytes_, 0);
    other_.assign(fineBytes_ != 0 ? count : 0, 0);
    flags_.assign(count, 0);
    pos_.assign(count, 0);
    entryOf_.assign(newLines_.size(), 0);
    alive_.assign((count + kScanPadEntries) / 64 + 2, 0);
    LineVectors v;
    for (size_t k = 0; k < count; ++k) {
      const std::string_view line = newLines_[static_cast<size_t>(order[k])];
      describe(line, map_, v);
      std::copy(v.coarse.begin(), v.coarse.end(), coarse_.begin() + ptrdiff(k * kCoarseBytes));
      std::copy_n(v.fine.begin(), fineBytes_, fine_.begin() + ptrdiff(k * fineBytes_));
      if (fineBytes_ != 0) other_[k] = v.other;
      flags_[k] = v.flags;
      pos_[k] = order[k];
      entryOf_[static_cast<size_t>(order[k])] = static_cast<uint32_t>(k);
      alive_[k >> 6] |= uint64_t{1} << (k & 63);
      if (k == 0 || line.size() != buckets_.back().length) {
        if (k != 0) buckets_.back().end = k;
        buckets_.push_back({line.size(), k, k, 0, 0, k});
        lengths_.push_back(line.size());
      }
    }
    if (!buckets_.empty()) buckets_.back().end = count;

    levels_ = 1;
    while ((kFirstWindow << (levels_ - 1)) < newLines_.size()) ++levels_;
    bounds_.assign(buckets_.size() * levels_, 0);
    for (size_t b = 0; b < buckets_.size(); ++b) {
      size_t k = buckets_[b].start;
      for (size_t t = 0; t < levels_; ++t) {
        while (k < buckets_[b].end && static_cast<size_t>(pos_[k]) < (kFirstWindow << t)) ++k;
        bounds_[b * levels_ + t] = static_cast<uint32_t>(k);
      }
    }
  }

  static ptrdiff_t ptrdiff(size_t n) { return static_cast<ptrdiff_t>(n); }

  bool isAlive(size_t k) const { return ((alive_[k >> 6] >> (k & 63)) & 1) != 0; }

  // Global index of the first matching entry among buckets [bLo, bHi), by position; kNone if none.
  size_t findMatch(size_t bLo, size_t bHi) {
    if (bHi - bLo == 1) {
      Bucket& b = buckets_[bLo];
      matchBucket_ = bLo;
      const size_t k = scanRange(b, b.start, b.end);
      return k == b.end ? kNone : k;
    }
    // Several buckets: merge by position through doubling windows. Inside a window
    // every bucket is scanned, each only below the best hit so far; the first window
    // holding any hit holds the answer.
    size_t total = 0;
    for (size_t b = bLo; b < bHi; ++b) total += buckets_[b].end - buckets_[b].start;
    if (total == 0) return kNone;
    const double wanted = kEntriesPerWindow * static_cast<double>(bHi - bLo) *
                          static_cast<double>(newLines_.size()) / static_cast<double>(total);
    size_t t = 0;
    while (t + 1 < levels_ && static_cast<double>(kFirstWindow << t) < wanted) ++t;
    size_t best = kNone;
    size_t bestPos = kNone;
    for (bool first = true;; first = false, ++t) {
      for (size_t b = bLo; b < bHi; ++b) {
        Bucket& bucket = buckets_[b];
        const uint32_t* bounds = &bounds_[b * levels_];
        const size_t from = first ? bucket.start : bounds[t - 1];
        size_t to = bounds[t];
        if (from >= to) continue;
        if (best != kNone && to - from > kCutAbove) to = firstAtOrAfter(from, to, bestPos);
        // A hit past the best one is dropped: it is this bucket's first in the range.
        const size_t k = scanRange(bucket, from, to);
        if (k != to && static_cast<size_t>(pos_[k]) < bestPos) {
          best = k;
          bestPos = static_cast<size_t>(pos_[k]);
          matchBucket_ = b;
        }
      }
      if (best != kNone || t + 1 == levels_) return best;
    }
  }

  // First entry in [from, end) placed at or after position.
  size_t firstAtOrAfter(size_t from, size_t end, size_t position) const {
    const auto below = [&](size_t k) { return static_cast<size_t>(pos_[k]) < position; };
    if (from == end || !below(from)) return from;
    size_t lo = from;  // below(lo) holds
    size_t step = 1;
    while (lo + step < end && below(lo + step)) {
      lo += step;
      step *= 2;
    }
    size_t first = lo + 1;
    size_t last = std::min(lo + step, end);
    while (first < last) {
      const size_t mid = first + (last - first) / 2;
      if (below(mid)) {
        first = mid + 1;
      } else {
        last = mid;
      }
    }
    return first;
  }

  // First verified match in [from, to) of the bucket, to when none. Counts the dead
  // entries the scan went over.
  size_t scanRange(Bucket& bucket, size_t from, size_t to) {
    size_t k = from;
    while ((k = scan_(coarse_.data(), alive_.data(), k, to, probe_.coarse.data(), threshold_)) !=
           to) {
      if (verify(k)) break;
      ++k;
    }
    const size_t stop = k == to ? to : k + 1;
    if (bucket.dead != 0) bucket.wasted += deadIn(from, stop);
    bucket.touched = std::max(bucket.touched, stop);
    return k;
  }

  size_t deadIn(size_t from, size_t to) const {
    const size_t range = to - from;
    size_t live = 0;
    while (from < to) {
      const unsigned shift = static_cast<unsigned>(from & 63);
      const size_t n = std::min<size_t>(64 - shift, to - from);
      uint64_t bits = alive_[from >> 6] >> shift;
      if (n < 64) bits &= (uint64_t{1} << n) - 1;
      live += countOnes(bits);
      from += n;
    }
    return range - live;
  }

  // The coarse check passed; settle the entry with the finer bound or the exact count.
  bool verify(size_t k) {
    const uint8_t flags = probe_.flags | flags_[k];
    if (fineBytes_ == 0) {
      if ((flags & kCoarseSat) == 0) return true;
    } else {
      const uint32_t a = probe_.other;
      const uint32_t b = other_[k];
      const uint64_t bound = uint64_t{similarity_detail::sumAbsDiff(
                                 probe_.fine.data(), &fine_[k * fineBytes_], fineBytes_)} +
                             (a > b ? a - b : b - a);
      if (bound > static_cast<uint64_t>(threshold_)) return false;
      if ((flags & kFineSat) == 0 && (a == 0 || b == 0)) return true;
    }
    return withinExact(newLines_[static_cast<size_t>(pos_[k])]);
  }

  // distance = lenOld - lenNew + 2 * (new bytes beyond the old line's count of
  // their value); that last count only grows, so the walk can stop early.
  bool withinExact(std::string_view line) {
    if (!histReady_) {
      for (unsigned char c : old_) ++hist_[c];
      histReady_ = true;
    }
    int64_t distance = static_cast<int64_t>(old_.size()) - static_cast<int64_t>(line.size());
    size_t i = 0;
    bool within = true;
    while (i < line.size()) {
      const auto c = static_cast<unsigned char>(line[i++]);
      if (hist_[c]-- <= 0) {
        distance += 2;
        if (distance > threshold_) {
          within = false;
          break;
        }
      }
    }
    for (size_t r = 0; r < i; ++r) ++hist_[static_cast<unsigned char>(line[r])];
    return within;
  }

  // Moves the live entries of the scanned prefix to its right end, in order, and
  // starts the bucket there.
  void compact(Bucket& bucket) {
    size_t w = bucket.touched;
    for (size_t r = bucket.touched; r-- > bucket.start;) {
      if (!isAlive(r)) continue;
      if (--w == r) continue;
      std::copy_n(coarse_.begin() + ptrdiff(r * kCoarseBytes), kCoarseBytes,
                  coarse_.begin() + ptrdiff(w * kCoarseBytes));
      std::copy_n(fine_.begin() + ptrdiff(r * fineBytes_), fineBytes_,
                  fine_.begin() + ptrdiff(w * fineBytes_));
      if (fineBytes_ != 0) other_[w] = other_[r];
      flags_[w] = flags_[r];
      pos_[w] = pos_[r];
      entryOf_[static_cast<size_t>(pos_[w])] = static_cast<uint32_t>(w);
    }
    for (size_t k = bucket.start; k < bucket.touched; ++k) {
      const uint64_t bit = uint64_t{1} << (k & 63);
      if (k < w) {
        alive_[k >> 6] &= ~bit;
      } else {
        alive_[k >> 6] |= bit;
      }
    }
    // Window bounds inside the compacted prefix move; those past it stay.
    uint32_t* bounds = &bounds_[static_cast<size_t>(&bucket - buckets_.data()) * levels_];
    for (size_t t = 0; t < levels_; ++t) {
      if (bounds[t] < bucket.touched) {
        bounds[t] = static_cast<uint32_t>(firstAtOrAfter(w, bucket.touched, kFirstWindow << t));
      }
    }
    bucket.dead -= w - bucket.start;
    bucket.start = w;
    bucket.touched = w;
    bucket.wasted = 0;
  }

  std::span<const std::string_view> oldLines_;
  std::span<const std::string_view> newLines_;
  std::span<uint8_t> newPaired_;
  int16_t threshold_;
  similarity_detail::CoarseScan scan_;

  ByteMap map_;
  size_t fineBytes_ = 0;
  size_t live_ = 0;
  // Entries of the new lines still unpaired at the start, sorted by (length, position).
  std::vector<uint8_t> coarse_;  // padded for whole-block reads
  std::vector<uint8_t> fine_;
  std::vector<uint32_t> other_;
  std::vector<uint8_t> flags_;
  std::vector<int32_t> pos_;
  std::vector<uint64_t> alive_;
  std::vector<uint32_t> entryOf_;  // by position: its entry, while unpaired
  std::vector<Bucket> buckets_;
  std::vector<size_t> lengths_;
  // Per bucket and level t: the first entry placed at or after kFirstWindow << t.
  size_t levels_ = 1;
  std::vector<uint32_t> bounds_;

  // The old line being placed.
  std::string_view old_;
  LineVectors probe_;
  std::array<int64_t, 256> hist_{};
  bool histReady_ = false;
  size_t matchBucket_ = 0;
  size_t firstFree_ = 0;  // no unpaired new line lies before it
  std::vector<LinePair> pairs_;
};

}  // namespace

int64_t characterDistance(std::string_view a, std::string_view b) {
  std::array<int64_t, 256> counts{};
  for (unsigned char c : a) ++counts[c];
  for (unsigned char c : b) --counts[c];
  int64_t sum = 0;
  for (int64_t n : counts) sum += n < 0 ? -n : n;
  return sum;
}

std::vector<LinePair> pairSimilarLines(std::span<const std::string_view> oldLines,
                                       std::span<const std::string_view> newLines,
                                       std::span<uint8_t> newPaired, int16_t threshold) {
  if (newPaired.size() != newLines.size()) {
    raise(kInvalidArgument, "newPaired must hold one flag per new line");
  }
  constexpr size_t kMaxLines = std::numeric_limits<int32_t>::max();
  if (oldLines.size() > kMaxLines || newLines.size() > kMaxLines) {
    raise(kInvalidArgument, "too many lines");
  }
  if (threshold < 0 || oldLines.empty() || newLines.empty()) return {};

  // Too few comparisons to pay for an index.
  if (oldLines.size() * newLines.size() < 64) {
    std::vector<LinePair> pairs;
    for (size_t i = 0; i < oldLines.size(); ++i) {
      for (size_t j = 0; j < newLines.size(); ++j) {
        if (newPaired[j] == 0 && characterDistance(oldLines[i], newLines[j]) <= threshold) {
          pairs.push_back({static_cast<int32_t>(i), static_cast<int32_t>(j)});
          newPaired[j] = 1;
          break;
        }
      }
    }
    return pairs;
  }
  return SimilarityPairer(oldLines, newLines, newPaired, threshold).run();
}

}  // namespace cvn
