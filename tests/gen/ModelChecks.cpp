#include "ModelChecks.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "ModelJson.h"
#include "Models.h"

namespace {

using Mat = std::array<float, 16>;
using Vec = std::array<float, 4>;

Mat multiply(const Mat& a, const Mat& b) {
    Mat r{};
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a[4 * k + row] * b[4 * col + k];
            r[4 * col + row] = sum;
        }
    }
    return r;
}

Vec transformPoint(const Mat& m, const Vec& p) {
    Vec r{};
    for (int row = 0; row < 4; ++row) {
        r[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row] * p[3];
    }
    return r;
}

Mat identity() {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

}  // namespace

int RestSkeleton::indexOfId(int id) const {
    for (std::size_t i = 0; i < bones.size(); ++i) {
        if (bones[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

RestSkeleton restPass(const JsonDom& model) {
    RestSkeleton skeleton;
    std::vector<int> childIds;
    for (const auto& [name, bone] : model["skeleton"].members) {
        RestBone b;
        b.name = name;
        b.id = static_cast<int>(bone["id"].number);
        const std::vector<double> m = bone["restParentMat"].numbers();
        for (std::size_t i = 0; i < 16 && i < m.size(); ++i)
            b.restParentMat[i] = static_cast<float>(m[i]);
        b.fileRestParentMat = b.restParentMat;
        const std::vector<double> s = bone["localRestStartPt"].numbers();
        const std::vector<double> e = bone["localRestEndPt"].numbers();
        b.localStart = {static_cast<float>(s.at(0)), static_cast<float>(s.at(1)), 0.0f, 1.0f};
        b.localEnd = {static_cast<float>(e.at(0)), static_cast<float>(e.at(1)), 0.0f, 1.0f};
        for (const double child : bone["children"].numbers()) {
            b.children.push_back(static_cast<int>(child));
            childIds.push_back(static_cast<int>(child));
        }
        skeleton.bones.push_back(b);
    }
    // The root: the lowest id that no bone names as a child.
    for (std::size_t i = 0; i < skeleton.bones.size(); ++i) {
        const int id = skeleton.bones[i].id;
        if (std::find(childIds.begin(), childIds.end(), id) != childIds.end()) continue;
        if (skeleton.root < 0 || id < skeleton.bones[skeleton.root].id)
            skeleton.root = static_cast<int>(i);
    }
    if (skeleton.root < 0) return skeleton;

    const std::function<void(int, const Mat*)> prepare = [&](int index, const Mat* parentEnd) {
        RestBone& bone = skeleton.bones[index];
        if (bone.reached) return;  // a cycle or a bone listed twice: the checks report it
        bone.reached = true;
        if (parentEnd != nullptr) bone.restParentMat = *parentEnd;
        Vec d;
        for (int i = 0; i < 4; ++i)
            d[i] = bone.localEnd[i] - bone.localStart[i];
        const float len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2] + d[3] * d[3]);
        const Vec dir = {d[0] / len, d[1] / len, d[2] / len, d[3] / len};
        Mat toEnd = identity();
        toEnd[12] = bone.localEnd[0];
        toEnd[13] = bone.localEnd[1];
        const Mat turn = {dir[0], dir[1], 0, 0, -dir[1], dir[0], 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        const Mat endFrame = multiply(multiply(bone.restParentMat, toEnd), turn);
        bone.worldStart = transformPoint(bone.restParentMat, bone.localStart);
        bone.worldEnd = transformPoint(bone.restParentMat, bone.localEnd);
        const std::vector<int> children = bone.children;
        for (const int childId : children) {
            const int child = skeleton.indexOfId(childId);
            if (child >= 0) prepare(child, &endFrame);
        }
    };
    prepare(skeleton.root, nullptr);
    return skeleton;
}

std::string generatedModelText(const std::string& name) {
    return modelToJson(makeModel(name));
}
