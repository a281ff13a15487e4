#pragma once

// Four floats processed together: SSE2 where the compiler offers it (every x86-64 build),
// plain arrays elsewhere (or with TAVREL_NO_SIMD defined). Only what the block encoders need.
#if (defined(__SSE2__) || defined(_M_X64)) && !defined(TAVREL_NO_SIMD)
#include <emmintrin.h>
#define TAVREL_FLOAT4_SSE2 1
#endif

namespace tavrel::detail {

#if TAVREL_FLOAT4_SSE2

struct Float4 {
    __m128 v;
    static Float4 Load(const float* p) { return {_mm_load_ps(p)}; }  // 16-byte aligned
    static Float4 LoadUnaligned(const float* p) { return {_mm_loadu_ps(p)}; }
    static Float4 Splat(float x) { return {_mm_set1_ps(x)}; }
    void Store(float* p) const { _mm_storeu_ps(p, v); }
};
inline Float4 operator+(Float4 a, Float4 b) { return {_mm_add_ps(a.v, b.v)}; }
inline Float4 operator-(Float4 a, Float4 b) { return {_mm_sub_ps(a.v, b.v)}; }
inline Float4 operator*(Float4 a, Float4 b) { return {_mm_mul_ps(a.v, b.v)}; }
inline Float4 Min(Float4 a, Float4 b) { return {_mm_min_ps(a.v, b.v)}; }
inline Float4 Max(Float4 a, Float4 b) { return {_mm_max_ps(a.v, b.v)}; }
// Lanes where a < b take `yes`, the others `no`.
inline Float4 SelectLess(Float4 a, Float4 b, Float4 yes, Float4 no) {
    const __m128 m = _mm_cmplt_ps(a.v, b.v);
    return {_mm_or_ps(_mm_and_ps(m, yes.v), _mm_andnot_ps(m, no.v))};
}
// Rounds lanes that are not negative to the nearest integer (halves up).
inline Float4 RoundNonNegative(Float4 a) {
    return {_mm_cvtepi32_ps(_mm_cvttps_epi32(_mm_add_ps(a.v, _mm_set1_ps(0.5f))))};
}
inline float Sum(Float4 a) {
    __m128 s = _mm_add_ps(a.v, _mm_movehl_ps(a.v, a.v));
    s = _mm_add_ss(s, _mm_shuffle_ps(s, s, 1));
    return _mm_cvtss_f32(s);
}

#else

struct Float4 {
    float v[4];
    static Float4 Load(const float* p) { return {{p[0], p[1], p[2], p[3]}}; }
    static Float4 LoadUnaligned(const float* p) { return Load(p); }
    static Float4 Splat(float x) { return {{x, x, x, x}}; }
    void Store(float* p) const {
        for (int i = 0; i < 4; ++i) p[i] = v[i];
    }
};
#define TAVREL_FLOAT4_LANES(expr)                \
    Float4 r;                                    \
    for (int i = 0; i < 4; ++i) r.v[i] = (expr); \
    return r
inline Float4 operator+(Float4 a, Float4 b) { TAVREL_FLOAT4_LANES(a.v[i] + b.v[i]); }
inline Float4 operator-(Float4 a, Float4 b) { TAVREL_FLOAT4_LANES(a.v[i] - b.v[i]); }
inline Float4 operator*(Float4 a, Float4 b) { TAVREL_FLOAT4_LANES(a.v[i] * b.v[i]); }
inline Float4 Min(Float4 a, Float4 b) { TAVREL_FLOAT4_LANES(b.v[i] < a.v[i] ? b.v[i] : a.v[i]); }
inline Float4 Max(Float4 a, Float4 b) { TAVREL_FLOAT4_LANES(a.v[i] < b.v[i] ? b.v[i] : a.v[i]); }
inline Float4 SelectLess(Float4 a, Float4 b, Float4 yes, Float4 no) {
    TAVREL_FLOAT4_LANES(a.v[i] < b.v[i] ? yes.v[i] : no.v[i]);
}
inline Float4 RoundNonNegative(Float4 a) {
    TAVREL_FLOAT4_LANES(static_cast<float>(static_cast<int>(a.v[i] + 0.5f)));
}
#undef TAVREL_FLOAT4_LANES
inline float Sum(Float4 a) { return (a.v[0] + a.v[1]) + (a.v[2] + a.v[3]); }

#endif

}  // namespace tavrel::detail
