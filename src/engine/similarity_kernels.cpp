#include "engine/similarity_kernels.hpp"

#include <bit>
#include <cstdlib>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define CVN_SIMILARITY_X86 1
#include <immintrin.h>
#else
#define CVN_SIMILARITY_X86 0
#endif

namespace cvn::similarity_detail {
namespace {

#if CVN_SIMILARITY_X86

// Eight alive bits starting at entry k (the caller pads the bit array by a word).
inline uint32_t aliveBits8(const uint64_t* alive, size_t k) {
  const size_t word = k >> 6;
  const unsigned shift = static_cast<unsigned>(k & 63);
  uint64_t bits = alive[word] >> shift;
  if (shift > 56) bits |= alive[word + 1] << (64 - shift);
  return static_cast<uint32_t>(bits & 0xFF);
}

// Drops candidates past the end of the range and dead ones; the first survivor or to.
inline size_t firstLive(uint32_t mask, const uint64_t* alive, size_t k, size_t to) {
  mask &= aliveBits8(alive, k);
  if (to - k < 8) mask &= (1u << (to - k)) - 1;
  return mask != 0 ? k + static_cast<size_t>(std::countr_zero(mask)) : to;
}

inline __m128i load128(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Four entries per step. Each psadbw gives two half sums per entry; packing four
// results into 16-bit fields and adding the two halves yields every entry's sum
// in one register, so one compare tests all four.
size_t coarseScanSse2(const uint8_t* table, const uint64_t* alive, size_t from, size_t to,
                      const uint8_t* probe, int limit) {
  const __m128i p = load128(probe);
  const __m128i lim = _mm_set1_epi16(static_cast<int16_t>(limit));
  for (size_t k = from; k < to; k += 4) {
    const uint8_t* e = table + k * kCoarseBytes;
    const __m128i s0 = _mm_sad_epu8(load128(e), p);
    const __m128i s1 = _mm_slli_epi64(_mm_sad_epu8(load128(e + 16), p), 16);
    const __m128i s2 = _mm_slli_epi64(_mm_sad_epu8(load128(e + 32), p), 32);
    const __m128i s3 = _mm_slli_epi64(_mm_sad_epu8(load128(e + 48), p), 48);
    const __m128i x = _mm_or_si128(_mm_or_si128(s0, s1), _mm_or_si128(s2, s3));
    const __m128i sum = _mm_add_epi16(x, _mm_shuffle_epi32(x, 0x4E));
    const auto fail = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpgt_epi16(sum, lim)));
    if (fail != 0xFFFF) {
      // Entry e sits at bit 2e; squeeze to bits 0..3.
      uint32_t m = ~fail & 0x55;
      m = (m | (m >> 1)) & 0x33;
      m = (m | (m >> 2)) & 0x0F;
      const size_t hit = firstLive(m, alive, k, to);
      if (hit != to) return hit;
    }
  }
  return to;
}

// The same with eight entries per step: lane 0 ends with the even entries,
// lane 1 with the odd ones.
__attribute__((target("avx2"))) size_t coarseScanAvx2(const uint8_t* table, const uint64_t* alive,
                                                      size_t from, size_t to, const uint8_t* probe,
                                                      int limit) {
  const __m256i p = _mm256_broadcastsi128_si256(load128(probe));
  const __m256i lim = _mm256_set1_epi16(static_cast<int16_t>(limit));
  for (size_t k = from; k < to; k += 8) {
    const auto* e = reinterpret_cast<const __m256i*>(table + k * kCoarseBytes);
    const __m256i s0 = _mm256_sad_epu8(_mm256_loadu_si256(e), p);
    const __m256i s1 = _mm256_slli_epi64(_mm256_sad_epu8(_mm256_loadu_si256(e + 1), p), 16);
    const __m256i s2 = _mm256_slli_epi64(_mm256_sad_epu8(_mm256_loadu_si256(e + 2), p), 32);
    const __m256i s3 = _mm256_slli_epi64(_mm256_sad_epu8(_mm256_loadu_si256(e + 3), p), 48);
    const __m256i x = _mm256_or_si256(_mm256_or_si256(s0, s1), _mm256_or_si256(s2, s3));
    const __m256i sum = _mm256_add_epi16(x, _mm256_shuffle_epi32(x, 0x4E));
    const auto fail = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpgt_epi16(sum, lim)));
    if (fail != 0xFFFFFFFFu) {
      const uint32_t pass = ~fail;
      const uint32_t m = (pass & 0x55) | (((pass >> 16) & 0x55) << 1);
      const size_t hit = firstLive(m, alive, k, to);
      if (hit != to) return hit;
    }
  }
  return to;
}

#endif  // CVN_SIMILARITY_X86

}  // namespace

size_t coarseScanScalar(const uint8_t* table, const uint64_t* alive, size_t from, size_t to,
                        const uint8_t* probe, int limit) {
  for (size_t k = from; k < to; ++k) {
    if (((alive[k >> 6] >> (k & 63)) & 1) == 0) continue;
    const uint8_t* e = table + k * kCoarseBytes;
    int sum = 0;
    for (size_t i = 0; i < kCoarseBytes; ++i) sum += std::abs(int{e[i]} - int{probe[i]});
    if (sum <= limit) return k;
  }
  return to;
}

CoarseScan coarseScan() {
  static const CoarseScan chosen = [] {
#if CVN_SIMILARITY_X86
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return CoarseScan{&coarseScanAvx2};
    return CoarseScan{&coarseScanSse2};
#else
    return CoarseScan{&coarseScanScalar};
#endif
  }();
  return chosen;
}

std::vector<CoarseScan> supportedCoarseScans() {
  std::vector<CoarseScan> scans;
#if CVN_SIMILARITY_X86
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) scans.push_back(&coarseScanAvx2);
  scans.push_back(&coarseScanSse2);
#endif
  scans.push_back(&coarseScanScalar);
  return scans;
}

uint32_t sumAbsDiff(const uint8_t* a, const uint8_t* b, size_t n) {
#if CVN_SIMILARITY_X86
  __m128i acc = _mm_setzero_si128();
  for (size_t i = 0; i < n; i += 16)
    acc = _mm_add_epi64(acc, _mm_sad_epu8(load128(a + i), load128(b + i)));
  return static_cast<uint32_t>(_mm_cvtsi128_si32(acc) +
                               _mm_cvtsi128_si32(_mm_unpackhi_epi64(acc, acc)));
#else
  uint32_t sum = 0;
  for (size_t i = 0; i < n; ++i) sum += static_cast<uint32_t>(std::abs(int{a[i]} - int{b[i]}));
  return sum;
#endif
}

}  // namespace cvn::similarity_detail
