// The portable skinning path: one float per lane, for any processor.

#include "meshSkinning.h"

namespace {

struct ScalarLanes {
    static constexpr int width = 1;
    float v;

    static ScalarLanes zero() { return {0.0f}; }
    static ScalarLanes set1(float f) { return {f}; }
    static ScalarLanes load(const float* p) { return {*p}; }
    void store(float* p) const { *p = v; }
    friend ScalarLanes operator+(ScalarLanes a, ScalarLanes b) { return {a.v + b.v}; }
    friend ScalarLanes operator*(ScalarLanes a, ScalarLanes b) { return {a.v * b.v}; }
    static ScalarLanes fmadd(ScalarLanes a, ScalarLanes b, ScalarLanes c) {
        return {a.v * b.v + c.v};
    }
    static ScalarLanes fnmadd(ScalarLanes a, ScalarLanes b, ScalarLanes c) {
        return {c.v - a.v * b.v};
    }
    static ScalarLanes twoOverOrZero(ScalarLanes n) { return {n.v > 0.0f ? 2.0f / n.v : 0.0f}; }
    // v - v is 0 exactly for finite v and NaN for infinities and NaN.
    static ScalarLanes finiteOrZero(ScalarLanes a) { return {a.v - a.v == 0.0f ? a.v : 0.0f}; }
    static void loadPairs(const float* p, ScalarLanes& x, ScalarLanes& y) {
        x.v = p[0];
        y.v = p[1];
    }
    static void storeXYOne(float* p, ScalarLanes x, ScalarLanes y) {
        p[0] = x.v;
        p[1] = y.v;
        p[2] = 1.0f;
    }
};

}  // namespace

#include "meshSkinningKernel.h"

meshSkinning::Kernels meshSkinning::plainKernels() {
    return kernelsOf<ScalarLanes>();
}
