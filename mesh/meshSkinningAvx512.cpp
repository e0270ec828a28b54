// The AVX-512 skinning path: sixteen lanes (one whole block per pass), masked selects.

#include "meshSkinning.h"

#if defined(__AVX512F__) && defined(__AVX2__) && defined(__FMA__)

#include <immintrin.h>

namespace {

// Where the lanes of three interleaved output vectors come from: output float 16k + j is
// component (16k + j) % 3 of point (16k + j) / 3; indices 0-15 pick x, 16-31 pick y.
struct InterleaveTable {
    int index[3][16];
    unsigned oneMask[3];
};

constexpr InterleaveTable makeInterleaveTable() {
    InterleaveTable t{};
    for (int k = 0; k < 3; ++k) {
        for (int j = 0; j < 16; ++j) {
            const int point = (16 * k + j) / 3;
            const int component = (16 * k + j) % 3;
            t.index[k][j] = component == 1 ? 16 + point : point;
            if (component == 2) t.oneMask[k] |= 1u << j;
        }
    }
    return t;
}

constexpr InterleaveTable kInterleave = makeInterleaveTable();

struct Avx512Lanes {
    static constexpr int width = 16;
    __m512 v;

    static Avx512Lanes zero() { return {_mm512_setzero_ps()}; }
    static Avx512Lanes set1(float f) { return {_mm512_set1_ps(f)}; }
    static Avx512Lanes load(const float* p) { return {_mm512_loadu_ps(p)}; }
    void store(float* p) const { _mm512_storeu_ps(p, v); }
    friend Avx512Lanes operator+(Avx512Lanes a, Avx512Lanes b) { return {_mm512_add_ps(a.v, b.v)}; }
    friend Avx512Lanes operator*(Avx512Lanes a, Avx512Lanes b) { return {_mm512_mul_ps(a.v, b.v)}; }
    static Avx512Lanes fmadd(Avx512Lanes a, Avx512Lanes b, Avx512Lanes c) {
        return {_mm512_fmadd_ps(a.v, b.v, c.v)};
    }
    static Avx512Lanes fnmadd(Avx512Lanes a, Avx512Lanes b, Avx512Lanes c) {
        return {_mm512_fnmadd_ps(a.v, b.v, c.v)};
    }
    static Avx512Lanes twoOverOrZero(Avx512Lanes n) {
        const __mmask16 positive = _mm512_cmp_ps_mask(n.v, _mm512_setzero_ps(), _CMP_GT_OQ);
        return {_mm512_maskz_div_ps(positive, _mm512_set1_ps(2.0f), n.v)};
    }
    static Avx512Lanes finiteOrZero(Avx512Lanes a) {
        const __mmask16 finite =
            _mm512_cmp_ps_mask(_mm512_sub_ps(a.v, a.v), _mm512_setzero_ps(), _CMP_EQ_OQ);
        return {_mm512_maskz_mov_ps(finite, a.v)};
    }
    static void loadPairs(const float* p, Avx512Lanes& x, Avx512Lanes& y) {
        const __m512 lo = _mm512_loadu_ps(p);
        const __m512 hi = _mm512_loadu_ps(p + 16);
        const __m512i even =
            _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
        const __m512i odd = _mm512_add_epi32(even, _mm512_set1_epi32(1));
        x.v = _mm512_permutex2var_ps(lo, even, hi);
        y.v = _mm512_permutex2var_ps(lo, odd, hi);
    }
    template <int k>
    static __m512 interleaved(__m512 x, __m512 y, __m512 one) {
        const __m512i index = _mm512_loadu_si512(kInterleave.index[k]);
        return _mm512_mask_mov_ps(_mm512_permutex2var_ps(x, index, y),
                                  static_cast<__mmask16>(kInterleave.oneMask[k]), one);
    }
    static void storeXYOne(float* p, Avx512Lanes x, Avx512Lanes y) {
        const __m512 one = _mm512_set1_ps(1.0f);
        _mm512_storeu_ps(p, interleaved<0>(x.v, y.v, one));
        _mm512_storeu_ps(p + 16, interleaved<1>(x.v, y.v, one));
        _mm512_storeu_ps(p + 32, interleaved<2>(x.v, y.v, one));
    }
};

}  // namespace

#include "meshSkinningKernel.h"

meshSkinning::Kernels meshSkinning::avx512Kernels() {
    return kernelsOf<Avx512Lanes>();
}

#else

meshSkinning::Kernels meshSkinning::avx512Kernels() {
    return {};
}

#endif
