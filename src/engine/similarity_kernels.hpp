#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Byte-vector kernels of the similarity pass: sums of absolute byte differences.
namespace cvn::similarity_detail {

// Entries of the coarse table: 16 bytes each, laid out back to back.
inline constexpr size_t kCoarseBytes = 16;
// Kernels read whole blocks of this many entries; the table (and the alive bits,
// plus one word) must be readable that far past the last entry scanned.
inline constexpr size_t kScanPadEntries = 8;

// Index of the first entry k in [from, to) whose alive bit is set and whose
// coarse vector lies within limit of probe (sum of |byte differences|); to when none.
// limit must lie in 0..32767.
using CoarseScan = size_t (*)(const uint8_t* table, const uint64_t* alive, size_t from, size_t to,
                              const uint8_t* probe, int limit);

// The fastest scan the running processor supports, chosen once.
CoarseScan coarseScan();
// Every scan the running processor supports, fastest first; for tests.
std::vector<CoarseScan> supportedCoarseScans();
// The portable scan, for comparison in tests.
size_t coarseScanScalar(const uint8_t* table, const uint64_t* alive, size_t from, size_t to,
                        const uint8_t* probe, int limit);

// Sum of |a[i] - b[i]| over n bytes; n a multiple of 16.
uint32_t sumAbsDiff(const uint8_t* a, const uint8_t* b, size_t n);

}  // namespace cvn::similarity_detail
