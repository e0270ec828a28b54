#pragma once

// The skinning loop, written once over a lane type V that holds V::width floats. Each path's
// source defines its lane type and includes this header, so every instantiation is compiled
// with that source's instruction set and stays local to it (anonymous namespace).
//
// A lane type provides: width; zero(), set1(f), load(p) (unaligned), store(p); + and *;
// fmadd(a, b, c) = a * b + c; fnmadd(a, b, c) = c - a * b; twoOverOrZero(n) = n > 0 ? 2 / n : 0;
// finiteOrZero(v); loadPairs(p, x, y) reading width (x, y) pairs; storeXYOne(p, x, y) writing
// width (x, y, 1) triples.
//
// Per point, the blend acc = sum of weight * dual quaternion over the point's bones is applied
// to the point p without normalising acc first: every term of the transform is quadratic in acc,
// so scaling them by 2 / |acc.real|^2 is the same as normalising. An all-zero blend (no bone
// above the threshold) scales by 0 and leaves the point where it is. Only x and y are computed;
// the third component written is always 1.

#include <cstddef>
#include <cstdint>

#include "meshSkinning.h"

namespace {

template <class V>
void loadPairsUpTo(const float* source, int valid, V& x, V& y) {
    if (valid >= V::width) {
        V::loadPairs(source, x, y);
        return;
    }
    float padded[2 * V::width] = {};
    for (int i = 0; i < 2 * valid; ++i)
        padded[i] = source[i];
    V::loadPairs(padded, x, y);
}

template <class V>
void storePointsUpTo(float* target, int valid, V x, V y) {
    if (valid >= V::width) {
        V::storeXYOne(target, x, y);
        return;
    }
    float xs[V::width];
    float ys[V::width];
    x.store(xs);
    y.store(ys);
    for (int i = 0; i < valid; ++i) {
        target[3 * i] = xs[i];
        target[3 * i + 1] = ys[i];
        target[3 * i + 2] = 1.0f;
    }
}

template <class V, bool Planar>
void skinBlocks(const meshSkinJob& job) {
    constexpr int block = meshSkinJob::blockSize;
    static_assert(block % V::width == 0, "a block holds whole lane groups");
    const V zero = V::zero();

    for (std::int32_t b = 0; b < job.numBlocks; ++b) {
        const std::int32_t first = b * block;
        const int count = job.numPoints - first < block ? job.numPoints - first : block;
        const std::uint32_t entryBegin = job.blockEntries[b];
        const std::uint32_t entryEnd = job.blockEntries[b + 1];
        const float* rest = job.restPoints + static_cast<std::size_t>(b) * 3 * block;

        for (int lane = 0; lane < count; lane += V::width) {
            V rx = zero, ry = zero, rz = zero, rw = zero;
            V dx = zero, dy = zero, dz = zero, dw = zero;
            for (std::uint32_t e = entryBegin; e < entryEnd; ++e) {
                const float* q = job.dualQuats + 8 * static_cast<std::size_t>(job.entryBones[e]);
                const V w = V::load(job.entryWeights + static_cast<std::size_t>(e) * block + lane);
                if constexpr (!Planar) {
                    rx = V::fmadd(w, V::set1(q[0]), rx);
                    ry = V::fmadd(w, V::set1(q[1]), ry);
                }
                rz = V::fmadd(w, V::set1(q[2]), rz);
                rw = V::fmadd(w, V::set1(q[3]), rw);
                dx = V::fmadd(w, V::set1(q[4]), dx);
                dy = V::fmadd(w, V::set1(q[5]), dy);
                if constexpr (!Planar) {
                    dz = V::fmadd(w, V::set1(q[6]), dz);
                    dw = V::fmadd(w, V::set1(q[7]), dw);
                }
            }

            const std::size_t point = static_cast<std::size_t>(first) + lane;
            const int valid = count - lane;
            V px = V::load(rest + lane);
            V py = V::load(rest + block + lane);
            if (job.localDisplacements != nullptr) {
                V ox, oy;
                loadPairsUpTo(job.localDisplacements + 2 * point, valid, ox, oy);
                px = px + ox;
                py = py + oy;
            }

            // With c = r x p, a = c + d (x, y, z): the transform adds s * t to p, where
            // t = w a + r x a - dw r (x and y only) and s = 2 / |r|^2.
            V tx, ty, n2;
            if constexpr (Planar) {
                const V ax = V::fnmadd(rz, py, dx);
                const V ay = V::fmadd(rz, px, dy);
                tx = V::fnmadd(rz, ay, rw * ax);
                ty = V::fmadd(rz, ax, rw * ay);
                n2 = V::fmadd(rz, rz, rw * rw);
            } else {
                const V pz = V::load(rest + 2 * block + lane);
                const V ax = V::fnmadd(rz, py, V::fmadd(ry, pz, dx));
                const V ay = V::fnmadd(rx, pz, V::fmadd(rz, px, dy));
                const V az = V::fnmadd(ry, px, V::fmadd(rx, py, dz));
                tx = V::fnmadd(dw, rx, V::fnmadd(rz, ay, V::fmadd(ry, az, rw * ax)));
                ty = V::fnmadd(dw, ry, V::fnmadd(rx, az, V::fmadd(rz, ax, rw * ay)));
                n2 = V::fmadd(rx, rx, V::fmadd(ry, ry, V::fmadd(rz, rz, rw * rw)));
            }
            const V s = V::twoOverOrZero(n2);
            V outX = V::fmadd(s, tx, px);
            V outY = V::fmadd(s, ty, py);
            if (job.postDisplacements != nullptr) {
                V ox, oy;
                loadPairsUpTo(job.postDisplacements + 2 * point, valid, ox, oy);
                outX = outX + ox;
                outY = outY + oy;
            }
            storePointsUpTo(job.out + 3 * point, valid, V::finiteOrZero(outX),
                            V::finiteOrZero(outY));
        }
    }
}

// Two lane groups side by side, so that one pass over a block's entries feeds both and every
// broadcast dual quaternion component serves twice as many points.
template <class V>
struct LanePair {
    static constexpr int width = 2 * V::width;
    V lo, hi;

    static LanePair zero() { return {V::zero(), V::zero()}; }
    static LanePair set1(float f) {
        const V v = V::set1(f);
        return {v, v};
    }
    static LanePair load(const float* p) { return {V::load(p), V::load(p + V::width)}; }
    void store(float* p) const {
        lo.store(p);
        hi.store(p + V::width);
    }
    friend LanePair operator+(LanePair a, LanePair b) { return {a.lo + b.lo, a.hi + b.hi}; }
    friend LanePair operator*(LanePair a, LanePair b) { return {a.lo * b.lo, a.hi * b.hi}; }
    static LanePair fmadd(LanePair a, LanePair b, LanePair c) {
        return {V::fmadd(a.lo, b.lo, c.lo), V::fmadd(a.hi, b.hi, c.hi)};
    }
    static LanePair fnmadd(LanePair a, LanePair b, LanePair c) {
        return {V::fnmadd(a.lo, b.lo, c.lo), V::fnmadd(a.hi, b.hi, c.hi)};
    }
    static LanePair twoOverOrZero(LanePair n) {
        return {V::twoOverOrZero(n.lo), V::twoOverOrZero(n.hi)};
    }
    static LanePair finiteOrZero(LanePair a) {
        return {V::finiteOrZero(a.lo), V::finiteOrZero(a.hi)};
    }
    static void loadPairs(const float* p, LanePair& x, LanePair& y) {
        V::loadPairs(p, x.lo, y.lo);
        V::loadPairs(p + 2 * V::width, x.hi, y.hi);
    }
    static void storeXYOne(float* p, LanePair x, LanePair y) {
        V::storeXYOne(p, x.lo, y.lo);
        V::storeXYOne(p + 3 * V::width, x.hi, y.hi);
    }
};

// The kernels of a path: the planar one over lane type P, the general one over G (which needs
// twice the accumulators, so it may have to run narrower to stay in registers).
template <class P, class G = P>
meshSkinning::Kernels kernelsOf() {
    return {&skinBlocks<P, true>, &skinBlocks<G, false>};
}

}  // namespace
