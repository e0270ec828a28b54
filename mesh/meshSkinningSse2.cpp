// The baseline x86 skinning path: four lanes of SSE2 (every x86-64 processor has it, and so
// does every 32-bit one the host runs on).

#include "meshSkinning.h"

#if defined(__SSE2__)

#include <emmintrin.h>

namespace {

struct Sse2Lanes {
    static constexpr int width = 4;
    __m128 v;

    static Sse2Lanes zero() { return {_mm_setzero_ps()}; }
    static Sse2Lanes set1(float f) { return {_mm_set1_ps(f)}; }
    static Sse2Lanes load(const float* p) { return {_mm_loadu_ps(p)}; }
    void store(float* p) const { _mm_storeu_ps(p, v); }
    friend Sse2Lanes operator+(Sse2Lanes a, Sse2Lanes b) { return {_mm_add_ps(a.v, b.v)}; }
    friend Sse2Lanes operator*(Sse2Lanes a, Sse2Lanes b) { return {_mm_mul_ps(a.v, b.v)}; }
    static Sse2Lanes fmadd(Sse2Lanes a, Sse2Lanes b, Sse2Lanes c) {
        return {_mm_add_ps(_mm_mul_ps(a.v, b.v), c.v)};
    }
    static Sse2Lanes fnmadd(Sse2Lanes a, Sse2Lanes b, Sse2Lanes c) {
        return {_mm_sub_ps(c.v, _mm_mul_ps(a.v, b.v))};
    }
    static Sse2Lanes twoOverOrZero(Sse2Lanes n) {
        const __m128 positive = _mm_cmpgt_ps(n.v, _mm_setzero_ps());
        return {_mm_and_ps(positive, _mm_div_ps(_mm_set1_ps(2.0f), n.v))};
    }
    static Sse2Lanes finiteOrZero(Sse2Lanes a) {
        const __m128 finite = _mm_cmpeq_ps(_mm_sub_ps(a.v, a.v), _mm_setzero_ps());
        return {_mm_and_ps(finite, a.v)};
    }
    static void loadPairs(const float* p, Sse2Lanes& x, Sse2Lanes& y) {
        const __m128 lo = _mm_loadu_ps(p);      // x0 y0 x1 y1
        const __m128 hi = _mm_loadu_ps(p + 4);  // x2 y2 x3 y3
        x.v = _mm_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0));
        y.v = _mm_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 3, 1));
    }
    static void storeXYOne(float* p, Sse2Lanes x, Sse2Lanes y) {
        const __m128 one = _mm_set1_ps(1.0f);
        const __m128 lo = _mm_unpacklo_ps(x.v, y.v);                                  // x0 y0 x1 y1
        const __m128 hi = _mm_unpackhi_ps(x.v, y.v);                                  // x2 y2 x3 y3
        const __m128 oneX1 = _mm_shuffle_ps(one, lo, _MM_SHUFFLE(3, 2, 0, 0));        // 1 1 x1 y1
        const __m128 y1One = _mm_shuffle_ps(lo, one, _MM_SHUFFLE(0, 0, 3, 3));        // y1 y1 1 1
        const __m128 oneX3 = _mm_shuffle_ps(one, hi, _MM_SHUFFLE(3, 2, 0, 0));        // 1 1 x3 y3
        const __m128 y3One = _mm_shuffle_ps(hi, one, _MM_SHUFFLE(0, 0, 3, 3));        // y3 y3 1 1
        _mm_storeu_ps(p, _mm_shuffle_ps(lo, oneX1, _MM_SHUFFLE(2, 0, 1, 0)));         // x0 y0 1 x1
        _mm_storeu_ps(p + 4, _mm_shuffle_ps(y1One, hi, _MM_SHUFFLE(1, 0, 2, 0)));     // y1 1 x2 y2
        _mm_storeu_ps(p + 8, _mm_shuffle_ps(oneX3, y3One, _MM_SHUFFLE(2, 0, 2, 0)));  // 1 x3 y3 1
    }
};

}  // namespace

#include "meshSkinningKernel.h"

#if defined(__x86_64__)
// Sixteen vector registers hold the accumulators of two lane groups at once.
meshSkinning::Kernels meshSkinning::sse2Kernels() {
    return kernelsOf<LanePair<Sse2Lanes>, Sse2Lanes>();
}
#else
// Eight vector registers: one lane group at a time.
meshSkinning::Kernels meshSkinning::sse2Kernels() {
    return kernelsOf<Sse2Lanes>();
}
#endif

#else

meshSkinning::Kernels meshSkinning::sse2Kernels() {
    return {};
}

#endif
