// The AVX2 + FMA skinning path: eight lanes, fused multiply-adds.

#include "meshSkinning.h"

#if defined(__AVX2__) && defined(__FMA__)

#include <immintrin.h>

namespace {

// Where the x, y and constant-1 lanes of three interleaved output vectors come from:
// output float 8k + j is component (8k + j) % 3 of point (8k + j) / 3.
struct InterleaveTable {
    int point[3][8];
    int yMask[3];
    int oneMask[3];
};

constexpr InterleaveTable makeInterleaveTable() {
    InterleaveTable t{};
    for (int k = 0; k < 3; ++k) {
        for (int j = 0; j < 8; ++j) {
            const int point = (8 * k + j) / 3;
            const int component = (8 * k + j) % 3;
            t.point[k][j] = point;
            if (component == 1) t.yMask[k] |= 1 << j;
            if (component == 2) t.oneMask[k] |= 1 << j;
        }
    }
    return t;
}

constexpr InterleaveTable kInterleave = makeInterleaveTable();

struct Avx2Lanes {
    static constexpr int width = 8;
    __m256 v;

    static Avx2Lanes zero() { return {_mm256_setzero_ps()}; }
    static Avx2Lanes set1(float f) { return {_mm256_set1_ps(f)}; }
    static Avx2Lanes load(const float* p) { return {_mm256_loadu_ps(p)}; }
    void store(float* p) const { _mm256_storeu_ps(p, v); }
    friend Avx2Lanes operator+(Avx2Lanes a, Avx2Lanes b) { return {_mm256_add_ps(a.v, b.v)}; }
    friend Avx2Lanes operator*(Avx2Lanes a, Avx2Lanes b) { return {_mm256_mul_ps(a.v, b.v)}; }
    static Avx2Lanes fmadd(Avx2Lanes a, Avx2Lanes b, Avx2Lanes c) {
        return {_mm256_fmadd_ps(a.v, b.v, c.v)};
    }
    static Avx2Lanes fnmadd(Avx2Lanes a, Avx2Lanes b, Avx2Lanes c) {
        return {_mm256_fnmadd_ps(a.v, b.v, c.v)};
    }
    static Avx2Lanes twoOverOrZero(Avx2Lanes n) {
        const __m256 positive = _mm256_cmp_ps(n.v, _mm256_setzero_ps(), _CMP_GT_OQ);
        return {_mm256_and_ps(positive, _mm256_div_ps(_mm256_set1_ps(2.0f), n.v))};
    }
    static Avx2Lanes finiteOrZero(Avx2Lanes a) {
        const __m256 finite =
            _mm256_cmp_ps(_mm256_sub_ps(a.v, a.v), _mm256_setzero_ps(), _CMP_EQ_OQ);
        return {_mm256_and_ps(finite, a.v)};
    }
    static void loadPairs(const float* p, Avx2Lanes& x, Avx2Lanes& y) {
        const __m256 lo = _mm256_loadu_ps(p);      // x0 y0 .. x3 y3
        const __m256 hi = _mm256_loadu_ps(p + 8);  // x4 y4 .. x7 y7
        // Within each 128-bit half: x0 x1 x4 x5 | x2 x3 x6 x7; then put the 64-bit pairs in order.
        const __m256 xs = _mm256_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0));
        const __m256 ys = _mm256_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 3, 1));
        x.v =
            _mm256_castpd_ps(_mm256_permute4x64_pd(_mm256_castps_pd(xs), _MM_SHUFFLE(3, 1, 2, 0)));
        y.v =
            _mm256_castpd_ps(_mm256_permute4x64_pd(_mm256_castps_pd(ys), _MM_SHUFFLE(3, 1, 2, 0)));
    }
    template <int k>
    static __m256 interleaved(__m256 x, __m256 y, __m256 one) {
        constexpr int yMask = kInterleave.yMask[k];  // immediates, also in unoptimised builds
        constexpr int oneMask = kInterleave.oneMask[k];
        const __m256i point =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kInterleave.point[k]));
        const __m256 xy = _mm256_blend_ps(_mm256_permutevar8x32_ps(x, point),
                                          _mm256_permutevar8x32_ps(y, point), yMask);
        return _mm256_blend_ps(xy, one, oneMask);
    }
    static void storeXYOne(float* p, Avx2Lanes x, Avx2Lanes y) {
        const __m256 one = _mm256_set1_ps(1.0f);
        _mm256_storeu_ps(p, interleaved<0>(x.v, y.v, one));
        _mm256_storeu_ps(p + 8, interleaved<1>(x.v, y.v, one));
        _mm256_storeu_ps(p + 16, interleaved<2>(x.v, y.v, one));
    }
};

}  // namespace

#include "meshSkinningKernel.h"

meshSkinning::Kernels meshSkinning::avx2Kernels() {
    return kernelsOf<LanePair<Avx2Lanes>, Avx2Lanes>();
}

#else

meshSkinning::Kernels meshSkinning::avx2Kernels() {
    return {};
}

#endif
