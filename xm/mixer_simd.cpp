// Vector versions of the mixer's frame loops, chosen at run time: SSE2 on every
// x86-64 CPU, AVX2 where the CPU has it. They do what the plain loops in
// mixer.cpp do, operation for operation and in the same order, only several
// frames of one voice at a time, so every path makes the same samples bit for
// bit. Nothing here may fuse a multiply and an add: the AVX2 functions enable
// AVX2 alone (not FMA) and the library is built without contraction.
#include "xm/xm.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <cstring>

namespace {

constexpr float kFractionScale = 1.0f / 2147483648.0f;  // 2^-31, as in the plain loops
constexpr float kLowest = -32768.0f;
constexpr float kHighest = 32767.0f;

// ---- SSE2: four frames a pass, positions stepped in 64-bit scalars ----------

// Sample value and its successor, as one 32-bit word (low half first).
inline int32_t sample_pair(const int16_t* d, uint64_t position) {
    int32_t pair;
    memcpy(&pair, d + (position >> 32), sizeof pair);
    return pair;
}

// Interpolated values of four frames from their sample pairs and fractions.
inline __m128 interpolate_sse2(__m128i pairs, __m128i fractions) {
    __m128 a = _mm_cvtepi32_ps(_mm_srai_epi32(_mm_slli_epi32(pairs, 16), 16));
    __m128 b = _mm_cvtepi32_ps(_mm_srai_epi32(pairs, 16));
    __m128 x = _mm_cvtepi32_ps(_mm_srli_epi32(fractions, 1));
    return _mm_add_ps(a, _mm_mul_ps(_mm_mul_ps(_mm_sub_ps(b, a), x), _mm_set1_ps(kFractionScale)));
}

template <bool kRamp>
int64_t mix_sse2(const int16_t* d, float* out, int m, int64_t pos, int64_t step, float lg, float rg,
                 const float* gains) {
    uint64_t p = static_cast<uint64_t>(pos), u = static_cast<uint64_t>(step);
    __m128 g = _mm_setr_ps(lg, rg, lg, rg);
    int i = 0;
    for (; i + 4 <= m; i += 4) {
        uint64_t p1 = p + u, p2 = p1 + u, p3 = p2 + u;
        __m128i pairs = _mm_setr_epi32(sample_pair(d, p), sample_pair(d, p1), sample_pair(d, p2), sample_pair(d, p3));
        __m128i fractions = _mm_setr_epi32(static_cast<int32_t>(p), static_cast<int32_t>(p1),
                                           static_cast<int32_t>(p2), static_cast<int32_t>(p3));
        p = p3 + u;
        __m128 s = interpolate_sse2(pairs, fractions);
        // Each value goes to its frame's left and right slot.
        __m128 s01 = _mm_unpacklo_ps(s, s), s23 = _mm_unpackhi_ps(s, s);
        __m128 g01 = kRamp ? _mm_loadu_ps(gains + 2 * i) : g;
        __m128 g23 = kRamp ? _mm_loadu_ps(gains + 2 * i + 4) : g;
        float* o = out + 2 * i;
        _mm_storeu_ps(o, _mm_add_ps(_mm_loadu_ps(o), _mm_mul_ps(s01, g01)));
        _mm_storeu_ps(o + 4, _mm_add_ps(_mm_loadu_ps(o + 4), _mm_mul_ps(s23, g23)));
    }
    pos = static_cast<int64_t>(p);
    if (kRamp) return xm_scalar_loops.mix_ramp(d, out + 2 * i, m - i, pos, step, gains + 2 * i);
    return xm_scalar_loops.mix(d, out + 2 * i, m - i, pos, step, lg, rg);
}

int64_t mix_constant_sse2(const int16_t* d, float* out, int m, int64_t pos, int64_t step, float lg, float rg) {
    return mix_sse2<false>(d, out, m, pos, step, lg, rg, nullptr);
}

int64_t mix_ramp_sse2(const int16_t* d, float* out, int m, int64_t pos, int64_t step, const float* gains) {
    return mix_sse2<true>(d, out, m, pos, step, 0, 0, gains);
}

// Rounding to nearest under the default rounding mode, as nearbyint; clamping
// first gives what clamping the rounded value gives.
void convert_sse2(const float* in, int16_t* out, int count) {
    const __m128 lowest = _mm_set1_ps(kLowest), highest = _mm_set1_ps(kHighest);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        __m128i a = _mm_cvtps_epi32(_mm_min_ps(_mm_max_ps(_mm_loadu_ps(in + i), lowest), highest));
        __m128i b = _mm_cvtps_epi32(_mm_min_ps(_mm_max_ps(_mm_loadu_ps(in + i + 4), lowest), highest));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packs_epi32(a, b));
    }
    xm_scalar_loops.convert(in + i, out + i, count - i);
}

const xm_frame_loops sse2_loops = {mix_constant_sse2, mix_ramp_sse2, convert_sse2};

// ---- AVX2: eight frames a pass, positions kept as 32-bit halves in lanes ----

// Interpolated values of eight frames from their sample values a, b (as
// floats) and the fractions of their positions.
__attribute__((target("avx2"))) inline __m256 interpolate_avx2(__m256 a, __m256 b, __m256i fractions) {
    __m256 x = _mm256_cvtepi32_ps(_mm256_srli_epi32(fractions, 1));
    return _mm256_add_ps(a, _mm256_mul_ps(_mm256_mul_ps(_mm256_sub_ps(b, a), x), _mm256_set1_ps(kFractionScale)));
}

// The frame each lane holds. In this order the values of frames 0-3 and 4-7,
// doubled into left and right slots, come out of one unpack each.
constexpr int kLaneFrame[8] = {0, 1, 4, 5, 2, 3, 6, 7};

// Adds eight frames' values (lanes in kLaneFrame order), each into its frame's
// left and right slot, scaled by the gains of frames 0-3 (g0) and 4-7 (g1).
// With kMasked only the slots that mask0 and mask1 select are touched.
template <bool kMasked>
__attribute__((target("avx2"))) inline void add_frames_avx2(float* o, __m256 s, __m256 g0, __m256 g1, __m256i mask0,
                                                            __m256i mask1) {
    __m256 s0 = _mm256_unpacklo_ps(s, s), s1 = _mm256_unpackhi_ps(s, s);
    if (kMasked) {
        _mm256_maskstore_ps(o, mask0, _mm256_add_ps(_mm256_maskload_ps(o, mask0), _mm256_mul_ps(s0, g0)));
        _mm256_maskstore_ps(o + 8, mask1, _mm256_add_ps(_mm256_maskload_ps(o + 8, mask1), _mm256_mul_ps(s1, g1)));
    } else {
        _mm256_storeu_ps(o, _mm256_add_ps(_mm256_loadu_ps(o), _mm256_mul_ps(s0, g0)));
        _mm256_storeu_ps(o + 8, _mm256_add_ps(_mm256_loadu_ps(o + 8), _mm256_mul_ps(s1, g1)));
    }
}

// Moves the lanes' positions on by eight steps: the fractions add, and a
// fraction that wrapped carries one into its whole part.
__attribute__((target("avx2"))) inline void advance_avx2(__m256i& whole, __m256i& fraction, __m256i step_whole,
                                                         __m256i step_fraction) {
    const __m256i sign = _mm256_set1_epi32(INT32_MIN);  // unsigned compare as signed
    __m256i next = _mm256_add_epi32(fraction, step_fraction);
    __m256i carry = _mm256_cmpgt_epi32(_mm256_xor_si256(fraction, sign), _mm256_xor_si256(next, sign));
    whole = _mm256_sub_epi32(_mm256_add_epi32(whole, step_whole), carry);
    fraction = next;
}

// Interpolated values of a pass that moves at most one sample a frame: its
// frames read from a window of nine values starting at whole part `lowest`,
// which stays within the spare values behind every sample.
__attribute__((target("avx2"))) inline __m256 window_values_avx2(const int16_t* d, uint32_t lowest, __m256i whole,
                                                                 __m256i fraction) {
    const int16_t* window = d + lowest;
    __m256 values = _mm256_cvtepi32_ps(_mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(window))));
    __m256 next_values =
        _mm256_cvtepi32_ps(_mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(window + 1))));
    __m256i slot = _mm256_sub_epi32(whole, _mm256_set1_epi32(static_cast<int32_t>(lowest)));
    return interpolate_avx2(_mm256_permutevar8x32_ps(values, slot), _mm256_permutevar8x32_ps(next_values, slot),
                            fraction);
}

template <bool kRamp>
__attribute__((target("avx2"))) int64_t mix_avx2(const int16_t* d, float* out, int m, int64_t pos, int64_t step,
                                                 float lg, float rg, const float* gains) {
    constexpr int64_t kOneFrame = int64_t{1} << 32;
    const bool near = step <= kOneFrame && step >= -kOneFrame;
    if (m < 8 && !near) {
        if (kRamp) return mix_sse2<true>(d, out, m, pos, step, 0, 0, gains);
        return mix_sse2<false>(d, out, m, pos, step, lg, rg, nullptr);
    }
    uint64_t p = static_cast<uint64_t>(pos), u = static_cast<uint64_t>(step);
    // Each lane holds the position of its frame as whole part and fraction; a
    // pass adds eight steps, carrying from the fraction into the whole part.
    alignas(32) int32_t whole[8], fraction[8];
    for (int j = 0; j < 8; ++j) {
        uint64_t q = p + static_cast<uint64_t>(kLaneFrame[j]) * u;
        whole[j] = static_cast<int32_t>(q >> 32);
        fraction[j] = static_cast<int32_t>(q);
    }
    __m256i w = _mm256_load_si256(reinterpret_cast<const __m256i*>(whole));
    __m256i f = _mm256_load_si256(reinterpret_cast<const __m256i*>(fraction));
    const uint64_t u8 = 8 * u;
    const __m256i step_whole = _mm256_set1_epi32(static_cast<int32_t>(u8 >> 32));
    const __m256i step_fraction = _mm256_set1_epi32(static_cast<int32_t>(u8));
    const __m256 g = _mm256_setr_ps(lg, rg, lg, rg, lg, rg, lg, rg);
    int i = 0;
    if (near) {
        // The lowest position of a pass is its first frame's, or its last
        // one's when the voice moves backward.
        const uint64_t to_lowest = step < 0 ? 7 * u : 0;
        for (; i + 8 <= m; i += 8, p += u8) {
            __m256 s = window_values_avx2(d, static_cast<uint32_t>((p + to_lowest) >> 32), w, f);
            __m256 g0 = kRamp ? _mm256_loadu_ps(gains + 2 * i) : g;
            __m256 g1 = kRamp ? _mm256_loadu_ps(gains + 2 * i + 8) : g;
            add_frames_avx2<false>(out + 2 * i, s, g0, g1, w, w);
            advance_avx2(w, f, step_whole, step_fraction);
        }
        if (i < m) {
            // The last frames: the lanes past them compute values from
            // wherever their positions point into the window, never stored.
            int lanes = m - i;
            uint64_t lowest = step < 0 ? p + static_cast<uint64_t>(lanes - 1) * u : p;
            __m256 s = window_values_avx2(d, static_cast<uint32_t>(lowest >> 32), w, f);
            const __m256i slots = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
            __m256i mask0 = _mm256_cmpgt_epi32(_mm256_set1_epi32(2 * lanes), slots);
            __m256i mask1 = _mm256_cmpgt_epi32(_mm256_set1_epi32(2 * lanes - 8), slots);
            __m256 g0 = kRamp ? _mm256_maskload_ps(gains + 2 * i, mask0) : g;
            __m256 g1 = kRamp ? _mm256_maskload_ps(gains + 2 * i + 8, mask1) : g;
            add_frames_avx2<true>(out + 2 * i, s, g0, g1, mask0, mask1);
        }
        return static_cast<int64_t>(static_cast<uint64_t>(pos) + static_cast<uint64_t>(m) * u);
    }
    for (; i + 8 <= m; i += 8) {
        // Samples stay below 2^30 values, so the whole parts index as signed.
        __m256i pairs = _mm256_i32gather_epi32(reinterpret_cast<const int*>(d), w, 2);
        __m256 a = _mm256_cvtepi32_ps(_mm256_srai_epi32(_mm256_slli_epi32(pairs, 16), 16));
        __m256 b = _mm256_cvtepi32_ps(_mm256_srai_epi32(pairs, 16));
        __m256 g0 = kRamp ? _mm256_loadu_ps(gains + 2 * i) : g;
        __m256 g1 = kRamp ? _mm256_loadu_ps(gains + 2 * i + 8) : g;
        add_frames_avx2<false>(out + 2 * i, interpolate_avx2(a, b, f), g0, g1, w, w);
        advance_avx2(w, f, step_whole, step_fraction);
    }
    pos = static_cast<int64_t>(p + static_cast<uint64_t>(i) * u);
    if (kRamp) return mix_sse2<true>(d, out + 2 * i, m - i, pos, step, 0, 0, gains + 2 * i);
    return mix_sse2<false>(d, out + 2 * i, m - i, pos, step, lg, rg, nullptr);
}

__attribute__((target("avx2"))) int64_t mix_constant_avx2(const int16_t* d, float* out, int m, int64_t pos,
                                                          int64_t step, float lg, float rg) {
    return mix_avx2<false>(d, out, m, pos, step, lg, rg, nullptr);
}

__attribute__((target("avx2"))) int64_t mix_ramp_avx2(const int16_t* d, float* out, int m, int64_t pos,
                                                      int64_t step, const float* gains) {
    return mix_avx2<true>(d, out, m, pos, step, 0, 0, gains);
}

__attribute__((target("avx2"))) void convert_avx2(const float* in, int16_t* out, int count) {
    const __m256 lowest = _mm256_set1_ps(kLowest), highest = _mm256_set1_ps(kHighest);
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        __m256i a = _mm256_cvtps_epi32(_mm256_min_ps(_mm256_max_ps(_mm256_loadu_ps(in + i), lowest), highest));
        __m256i b = _mm256_cvtps_epi32(_mm256_min_ps(_mm256_max_ps(_mm256_loadu_ps(in + i + 8), lowest), highest));
        // The pack works within 128-bit halves; the permute puts them in order.
        __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi32(a, b), 0xD8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), packed);
    }
    convert_sse2(in + i, out + i, count - i);
}

const xm_frame_loops avx2_loops = {mix_constant_avx2, mix_ramp_avx2, convert_avx2};

}  // namespace

const xm_frame_loops* xm_vector_loops(xm_mix_path path) {
    if (path == XM_MIX_SSE2) return &sse2_loops;
    if (path == XM_MIX_AVX2 && __builtin_cpu_supports("avx2")) return &avx2_loops;
    return nullptr;
}

#else

const xm_frame_loops* xm_vector_loops(xm_mix_path) { return nullptr; }

#endif
