#include "graphics/PixelRows.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Eight pixels at a time with AVX2 when the processor has it, chosen at run
// time. Not on Windows: GCC there does not align the stack for 32-byte
// registers it spills.
#if defined(__SSE2__) && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && !defined(_WIN32)
#define PELTO5_AVX2_ROWS 1
#include <immintrin.h>
#endif

namespace pelto5 {

namespace {

#if defined(PELTO5_AVX2_ROWS)
bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

// The Mask row for whole groups of eight; returns how many pixels it did.
__attribute__((target("avx2"))) int MaskRowAvx2(uint32_t* d, const uint32_t* s, const uint8_t* a, int count) {
  const __m256i zero = _mm256_setzero_si256();
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    uint64_t a8;
    std::memcpy(&a8, a + i, 8);
    if (a8 == 0) continue;
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    if (((a8 - 0x0101010101010101ull) & ~a8 & 0x8080808080808080ull) == 0) {  // no zero byte
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), sv);
      continue;
    }
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
    const __m256i a32 = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + i)));
    const __m256i keep = _mm256_cmpeq_epi32(a32, zero);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_blendv_epi8(sv, dv, keep));
  }
  return i;
}

// The Blend row for whole groups of eight; returns how many pixels it did.
// Channels go in 16-bit lanes: (255 - a) * d + a * s is at most 255 * 255.
__attribute__((target("avx2"))) int BlendRowAvx2(uint32_t* d, const uint32_t* s, const uint8_t* a, int count) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i c255 = _mm256_set1_epi16(255);
  const __m256i colourBytes = _mm256_set1_epi32(0x00FFFFFF);
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    uint64_t a8;
    std::memcpy(&a8, a + i, 8);
    if (a8 == 0) continue;
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i a32 = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + i)));
    // Each pixel's alpha in both 16-bit halves of its lane, then spread as
    // the byte unpacking below spreads the pixels: within each 128-bit
    // half, pixels 0 and 1 go low, 2 and 3 high.
    const __m256i pairs = _mm256_or_si256(a32, _mm256_slli_epi32(a32, 16));
    const __m256i alo = _mm256_unpacklo_epi32(pairs, pairs);
    const __m256i ahi = _mm256_unpackhi_epi32(pairs, pairs);
    const __m256i lo = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(dv, zero), _mm256_sub_epi16(c255, alo)),
                         _mm256_mullo_epi16(_mm256_unpacklo_epi8(sv, zero), alo)),
        8);
    const __m256i hi = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(dv, zero), _mm256_sub_epi16(c255, ahi)),
                         _mm256_mullo_epi16(_mm256_unpackhi_epi8(sv, zero), ahi)),
        8);
    const __m256i blended = _mm256_and_si256(_mm256_packus_epi16(lo, hi), colourBytes);
    const __m256i keep = _mm256_cmpeq_epi32(a32, zero);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_blendv_epi8(blended, dv, keep));
  }
  return i;
}
#endif

}  // namespace

void MaskRow(uint32_t* d, const uint32_t* s, const uint8_t* a, int count, bool separate) {
  int i = 0;
#if defined(PELTO5_AVX2_ROWS)
  if (separate && HasAvx2()) i = MaskRowAvx2(d, s, a, count);
#endif
#if defined(__SSE2__)
  // Four pixels at a time; only for rows of different surfaces, as the
  // four source pixels are read before the four destination pixels are
  // written.
  if (separate) {
    const __m128i zero = _mm_setzero_si128();
    for (; i + 4 <= count; i += 4) {
      uint32_t a4;
      std::memcpy(&a4, a + i, 4);
      if (a4 == 0) continue;
      const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
      if (((a4 - 0x01010101u) & ~a4 & 0x80808080u) == 0) {  // no zero byte
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), sv);
        continue;
      }
      const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
      const __m128i a32 = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(a4)), zero), zero);
      const __m128i keep = _mm_cmpeq_epi32(a32, zero);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                       _mm_or_si128(_mm_and_si128(keep, dv), _mm_andnot_si128(keep, sv)));
    }
  }
#else
  (void)separate;
#endif
  for (; i < count; ++i) {
    if (a[i] != 0) d[i] = s[i];
  }
}

void BlendRow(uint32_t* d, const uint32_t* s, const uint8_t* a, int count, bool separate) {
  int i = 0;
#if defined(PELTO5_AVX2_ROWS)
  if (separate && HasAvx2()) i = BlendRowAvx2(d, s, a, count);
#endif
#if defined(__SSE2__)
  // Four pixels at a time with 16-bit lanes per channel: each channel's
  // (255 - a) * d + a * s is at most 255 * 255, so it fits a lane exactly
  // and the result equals BlendPixel's.
  if (separate) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i c255 = _mm_set1_epi16(255);
    const __m128i colourBytes = _mm_set1_epi32(0x00FFFFFF);
    for (; i + 4 <= count; i += 4) {
      uint32_t a4;
      std::memcpy(&a4, a + i, 4);
      if (a4 == 0) continue;
      const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
      const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
      const __m128i a16 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(a4)), zero);
      const __m128i pairs = _mm_unpacklo_epi16(a16, a16);     // a0 a0 a1 a1 a2 a2 a3 a3
      const __m128i alo = _mm_unpacklo_epi32(pairs, pairs);   // a0 x4, a1 x4
      const __m128i ahi = _mm_unpackhi_epi32(pairs, pairs);   // a2 x4, a3 x4
      const __m128i lo = _mm_srli_epi16(
          _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(dv, zero), _mm_sub_epi16(c255, alo)),
                        _mm_mullo_epi16(_mm_unpacklo_epi8(sv, zero), alo)),
          8);
      const __m128i hi = _mm_srli_epi16(
          _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(dv, zero), _mm_sub_epi16(c255, ahi)),
                        _mm_mullo_epi16(_mm_unpackhi_epi8(sv, zero), ahi)),
          8);
      const __m128i blended = _mm_and_si128(_mm_packus_epi16(lo, hi), colourBytes);
      const __m128i keep = _mm_cmpeq_epi32(_mm_unpacklo_epi16(a16, zero), zero);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                       _mm_or_si128(_mm_and_si128(keep, dv), _mm_andnot_si128(keep, blended)));
    }
  }
#else
  (void)separate;
#endif
  for (; i < count; ++i) {
    if (a[i] != 0) d[i] = BlendPixel(d[i], s[i], a[i]);
  }
}

}  // namespace pelto5
