// Checks every generated model from its JSON text alone: the rest pass of the
// runtime recomputed from the written local rest data, rigid clip frames,
// well-formed regions, weights and frame lists.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "JsonDom.h"
#include "ModelChecks.h"

namespace {

constexpr double kPointTolerance = 1e-4;  // single-precision rest pass over six-decimal text

// Each model is generated and parsed once per test program.
const JsonDom& model(const std::string& name) {
    static std::map<std::string, JsonDom> cache;
    auto it = cache.find(name);
    if (it == cache.end()) it = cache.emplace(name, JsonDom::parse(generatedModelText(name))).first;
    return it->second;
}

double distance(double ax, double ay, double bx, double by) {
    return std::hypot(ax - bx, ay - by);
}

class SampleModel : public ::testing::TestWithParam<std::string> {
protected:
    const JsonDom& root() const { return model(GetParam()); }
};

TEST_P(SampleModel, SkeletonIsOneTreeThatTheRestPassReaches) {
    const RestSkeleton skeleton = restPass(root());
    ASSERT_GE(skeleton.root, 0);
    std::set<int> ids;
    std::map<int, int> parentsOf;
    for (const RestBone& bone : skeleton.bones) {
        EXPECT_TRUE(ids.insert(bone.id).second) << "duplicate id " << bone.id;
        for (const int child : bone.children) {
            EXPECT_GE(skeleton.indexOfId(child), 0)
                << bone.name << " names unknown child " << child;
            ++parentsOf[child];
        }
    }
    for (const RestBone& bone : skeleton.bones) {
        EXPECT_TRUE(bone.reached) << bone.name;
        EXPECT_EQ(parentsOf[bone.id], &bone == &skeleton.bones[skeleton.root] ? 0 : 1) << bone.name;
    }
}

// The rest pass run on the written local data lands on the model-space rest
// points, which the "default" clip's first frame repeats.
TEST_P(SampleModel, RestPassReproducesDefaultFrameZero) {
    const RestSkeleton skeleton = restPass(root());
    const JsonDom& clip = root()["animation"]["default"];
    const JsonDom& frame = clip["bones"].members.front().second;
    ASSERT_EQ(clip["bones"].members.front().first, "0");
    ASSERT_EQ(frame.size(), skeleton.bones.size());
    for (const RestBone& bone : skeleton.bones) {
        const std::vector<double> start = frame[bone.name]["start_pt"].numbers();
        const std::vector<double> end = frame[bone.name]["end_pt"].numbers();
        EXPECT_NEAR(bone.worldStart[0], start[0], kPointTolerance) << bone.name;
        EXPECT_NEAR(bone.worldStart[1], start[1], kPointTolerance) << bone.name;
        EXPECT_NEAR(bone.worldEnd[0], end[0], kPointTolerance) << bone.name;
        EXPECT_NEAR(bone.worldEnd[1], end[1], kPointTolerance) << bone.name;
        // The runtime replaces a child's matrix by its parent's end frame; the file
        // holds that same frame, so the file reads true on its own.
        for (int i = 0; i < 16; ++i) {
            EXPECT_NEAR(bone.fileRestParentMat[i], bone.restParentMat[i], kPointTolerance)
                << bone.name << " [" << i << "]";
        }
    }
}

TEST_P(SampleModel, RegionsAreContiguousClockwiseAndFullyWeighted) {
    const JsonDom& mesh = root()["mesh"];
    const std::vector<double> points = mesh["points"].numbers();
    const std::vector<double> uvs = mesh["uvs"].numbers();
    const std::vector<double> indices = mesh["indices"].numbers();
    ASSERT_EQ(points.size() % 2, 0u);
    ASSERT_EQ(uvs.size(), points.size());
    ASSERT_EQ(indices.size() % 3, 0u);
    for (const double uv : uvs) {
        EXPECT_GE(uv, 0.0);
        EXPECT_LE(uv, 1.0);
    }
    std::set<std::string> boneNames;
    for (const auto& [name, bone] : root()["skeleton"].members)
        boneNames.insert(name);

    int nextPoint = 0;
    int nextIndex = 0;
    for (const auto& [name, region] : mesh["regions"].members) {
        SCOPED_TRACE(name);
        const int firstPoint = static_cast<int>(region["start_pt_index"].number);
        const int lastPoint = static_cast<int>(region["end_pt_index"].number);
        const int firstIndex = static_cast<int>(region["start_index"].number);
        const int lastIndex = static_cast<int>(region["end_index"].number);
        ASSERT_EQ(firstPoint, nextPoint);
        ASSERT_EQ(firstIndex, nextIndex);
        ASSERT_EQ((lastIndex - firstIndex + 1) % 3, 0);
        nextPoint = lastPoint + 1;
        nextIndex = lastIndex + 1;
        const int count = lastPoint - firstPoint + 1;
        for (int t = firstIndex; t <= lastIndex; t += 3) {
            const int i[3] = {static_cast<int>(indices[t]), static_cast<int>(indices[t + 1]),
                              static_cast<int>(indices[t + 2])};
            for (const int index : i)
                ASSERT_TRUE(index >= firstPoint && index <= lastPoint) << index;
            const double area = (points[2 * i[1]] - points[2 * i[0]]) *
                                    (points[2 * i[2] + 1] - points[2 * i[0] + 1]) -
                                (points[2 * i[1] + 1] - points[2 * i[0] + 1]) *
                                    (points[2 * i[2]] - points[2 * i[0]]);
            EXPECT_LT(area, 0.0) << "triangle at " << t << " is not clockwise";
        }

        std::vector<std::vector<double>> rows;
        for (const auto& [bone, weights] : region["weights"].members) {
            EXPECT_TRUE(boneNames.count(bone)) << "weights of unknown bone " << bone;
            rows.push_back(weights.numbers());
            ASSERT_EQ(rows.back().size(), static_cast<std::size_t>(count)) << bone;
        }
        for (int p = 0; p < count; ++p) {
            double sum = 0.0, dominant = 0.0;
            int influences = 0;
            for (const std::vector<double>& row : rows) {
                sum += row[p];
                dominant = std::max(dominant, row[p]);
                influences += row[p] > 0.05 ? 1 : 0;
            }
            EXPECT_NEAR(sum, 1.0, 1e-5) << "point " << p;
            EXPECT_GT(dominant, 0.05) << "point " << p;
            EXPECT_LE(influences, 3) << "point " << p;
        }
    }
    EXPECT_EQ(static_cast<std::size_t>(nextPoint), points.size() / 2);
    EXPECT_EQ(static_cast<std::size_t>(nextIndex), indices.size());
}

// Every frame lists every bone and region in the same order; posed bones keep
// their rest length, and a child attached at its parent's end stays there.
TEST_P(SampleModel, ClipFramesAreCompleteAndRigid) {
    const RestSkeleton skeleton = restPass(root());
    std::vector<std::string> regionNames;
    std::vector<int> regionPoints;
    for (const auto& [name, region] : root()["mesh"]["regions"].members) {
        regionNames.push_back(name);
        regionPoints.push_back(
            static_cast<int>(region["end_pt_index"].number - region["start_pt_index"].number) + 1);
    }
    ASSERT_NE(root()["animation"].find("default"), nullptr);
    for (const auto& [clipName, clip] : root()["animation"].members) {
        SCOPED_TRACE(clipName);
        const JsonDom& bones = clip["bones"];
        ASSERT_GT(bones.size(), 0u);
        std::vector<std::string> frameKeys;
        for (const auto& [key, frame] : bones.members) {
            if (!frameKeys.empty()) {
                EXPECT_LT(std::stoi(frameKeys.back()), std::stoi(key));
            }
            frameKeys.push_back(key);
            ASSERT_EQ(frame.size(), skeleton.bones.size());
            for (std::size_t b = 0; b < skeleton.bones.size(); ++b) {
                const RestBone& bone = skeleton.bones[b];
                ASSERT_EQ(frame.members[b].first, bone.name) << "frame " << key;
                const std::vector<double> s = frame.members[b].second["start_pt"].numbers();
                const std::vector<double> e = frame.members[b].second["end_pt"].numbers();
                const double restLength = distance(bone.worldStart[0], bone.worldStart[1],
                                                   bone.worldEnd[0], bone.worldEnd[1]);
                EXPECT_NEAR(distance(s[0], s[1], e[0], e[1]), restLength, kPointTolerance)
                    << bone.name << " at " << key;
                for (const int childId : bone.children) {
                    const RestBone& child = skeleton.bones[skeleton.indexOfId(childId)];
                    if (distance(child.worldStart[0], child.worldStart[1], bone.worldEnd[0],
                                 bone.worldEnd[1]) > 1e-5)
                        continue;
                    const std::vector<double> cs = frame[child.name]["start_pt"].numbers();
                    EXPECT_NEAR(distance(cs[0], cs[1], e[0], e[1]), 0.0, 1e-5)
                        << child.name << " at " << key;
                }
            }
        }

        for (const char* member : {"meshes", "uv_swaps", "mesh_opacities"}) {
            const JsonDom* frames = clip.find(member);
            if (frames == nullptr) {
                // Only the opacities are optional.
                EXPECT_EQ(std::string(member), "mesh_opacities") << "missing " << member;
                continue;
            }
            ASSERT_EQ(frames->size(), frameKeys.size()) << member;
            for (std::size_t f = 0; f < frameKeys.size(); ++f) {
                const auto& [key, frame] = frames->members[f];
                ASSERT_EQ(key, frameKeys[f]) << member;
                ASSERT_EQ(frame.size(), regionNames.size()) << member << " " << key;
                for (std::size_t r = 0; r < regionNames.size(); ++r) {
                    ASSERT_EQ(frame.members[r].first, regionNames[r]) << member << " " << key;
                    const JsonDom& entry = frame.members[r].second;
                    const JsonDom& first = frames->members[0].second.members[r].second;
                    if (std::string(member) == "meshes") {
                        for (const char* flag :
                             {"use_local_displacements", "use_post_displacements"}) {
                            EXPECT_EQ(entry[flag].boolean, first[flag].boolean)
                                << flag << " changes in " << regionNames[r];
                        }
                        if (entry["use_local_displacements"].boolean) {
                            EXPECT_EQ(entry["local_displacements"].size(), 2u * regionPoints[r]);
                        }
                        if (entry["use_post_displacements"].boolean) {
                            EXPECT_EQ(entry["post_displacements"].size(), 2u * regionPoints[r]);
                        }
                    } else if (std::string(member) == "uv_swaps") {
                        EXPECT_EQ(entry["enabled"].boolean, first["enabled"].boolean)
                            << regionNames[r];
                        if (entry["enabled"].boolean) {
                            for (const char* point : {"local_offset", "global_offset", "scale"})
                                EXPECT_EQ(entry[point].size(), 2u);
                        }
                    } else {
                        EXPECT_GE(entry["opacity"].number, 0.0);
                        EXPECT_LE(entry["opacity"].number, 100.0);
                    }
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Generated, SampleModel, ::testing::Values("tiny", "character", "stress"));

}  // namespace
