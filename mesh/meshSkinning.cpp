#include "meshSkinning.h"

#include <initializer_list>

#if defined(__x86_64__) || defined(__i386__)
#define MOBILANT_X86 1
#endif

namespace {

bool processorRuns(meshSkinPath path) {
#if defined(MOBILANT_X86)
    __builtin_cpu_init();
    switch (path) {
        case meshSkinPath::plain:
            return true;
        case meshSkinPath::sse2:
            return __builtin_cpu_supports("sse2");
        case meshSkinPath::avx2:
            return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
        case meshSkinPath::avx512:
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx2") &&
                   __builtin_cpu_supports("fma");
    }
    return false;
#else
    return path == meshSkinPath::plain;
#endif
}

meshSkinning::Kernels kernelsOf(meshSkinPath path) {
    switch (path) {
        case meshSkinPath::plain:
            return meshSkinning::plainKernels();
        case meshSkinPath::sse2:
            return meshSkinning::sse2Kernels();
        case meshSkinPath::avx2:
            return meshSkinning::avx2Kernels();
        case meshSkinPath::avx512:
            return meshSkinning::avx512Kernels();
    }
    return {};
}

struct ActivePath {
    meshSkinPath path;
    meshSkinning::Kernels kernels;
};

ActivePath& active() {
    static ActivePath current{meshSkinning::bestPath(), kernelsOf(meshSkinning::bestPath())};
    return current;
}

}  // namespace

bool meshSkinning::isAvailable(meshSkinPath path) {
    const Kernels kernels = kernelsOf(path);
    return kernels.planar != nullptr && kernels.general != nullptr && processorRuns(path);
}

meshSkinPath meshSkinning::bestPath() {
    for (meshSkinPath path : {meshSkinPath::avx512, meshSkinPath::avx2, meshSkinPath::sse2}) {
        if (isAvailable(path)) return path;
    }
    return meshSkinPath::plain;
}

meshSkinPath meshSkinning::activePath() {
    return active().path;
}

bool meshSkinning::setActivePath(meshSkinPath path) {
    if (!isAvailable(path)) return false;
    active() = {path, kernelsOf(path)};
    return true;
}

const char* meshSkinning::pathName(meshSkinPath path) {
    switch (path) {
        case meshSkinPath::plain:
            return "plain";
        case meshSkinPath::sse2:
            return "sse2";
        case meshSkinPath::avx2:
            return "avx2";
        case meshSkinPath::avx512:
            return "avx512";
    }
    return "unknown";
}

void meshSkinning::run(const meshSkinJob& job, bool planar) {
    const Kernels& kernels = active().kernels;
    (planar ? kernels.planar : kernels.general)(job);
}
