#pragma once

// The skinning kernels and the choice among them. This header is also included by the sources
// compiled for wider instruction sets, so it must hold nothing that the compiler could emit as
// out-of-line code (no inline functions, no standard containers).

#include <cstdint>

// One region's skinning work, in the layout the kernels read. Points are grouped in blocks of
// blockSize; each block lists the bones that influence any of its points as entries, in bone
// order, each with one weight per point of the block (0 for points it does not influence).
struct meshSkinJob {
    static constexpr int blockSize = 16;

    std::int32_t numPoints = 0;
    std::int32_t numBlocks = 0;
    const std::uint32_t* blockEntries = nullptr;  // numBlocks + 1 offsets into the entries
    const std::uint32_t* entryBones = nullptr;    // per entry: index of its dual quaternion
    const float* entryWeights = nullptr;          // per entry: blockSize weights
    const float* restPoints = nullptr;            // per block: blockSize x, then y, then z
    const float* dualQuats = nullptr;             // per bone: real x, y, z, w, then dual x, y, z, w
    const float* localDisplacements = nullptr;    // (x, y) per point, added before; or null
    const float* postDisplacements = nullptr;     // (x, y) per point, added after; or null
    float* out = nullptr;                         // (x, y, 1) per point
};

// The ways of running a job, slowest first. Each one gives the same points up to rounding.
enum class meshSkinPath { plain, sse2, avx2, avx512 };

namespace meshSkinning {

using Kernel = void (*)(const meshSkinJob&);

// A path's two kernels: one for blends whose dual quaternions are all planar (real x, y and
// dual z, w zero, as every bone of a 2D skeleton gives) and one for any dual quaternions.
struct Kernels {
    Kernel planar = nullptr;
    Kernel general = nullptr;
};

// True when the path was compiled in and this processor can run it.
bool isAvailable(meshSkinPath path);

// The fastest available path; the active one until setActivePath changes it.
meshSkinPath bestPath();

// The path run() uses.
meshSkinPath activePath();

// Makes path the active one and returns true; returns false and changes nothing when the path
// is not available.
bool setActivePath(meshSkinPath path);

// A short lowercase name of the path ("plain", "sse2", "avx2", "avx512").
const char* pathName(meshSkinPath path);

// Skins job.numPoints points into job.out with the active path. planar may be true only when
// every dual quaternion of the job is planar.
void run(const meshSkinJob& job, bool planar);

// The kernels of one path; both null when the path is not compiled into this build.
Kernels plainKernels();
Kernels sse2Kernels();
Kernels avx2Kernels();
Kernels avx512Kernels();

}  // namespace meshSkinning
