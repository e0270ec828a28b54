#include "ModelError.h"

#include <array>
#include <cstddef>

namespace MobilantModule {

namespace {

constexpr std::array<const char*, 24> messages = {
    "no error",
    "the text is not valid JSON",
    "the root is not an object",
    "a required member is missing",
    "a member holds the wrong kind of value",
    "a number is not finite as a float",
    "\"points\" holds an odd count of numbers",
    "\"uvs\" holds an odd count of numbers",
    "\"uvs\" and \"points\" differ in length",
    "an index names no point",
    "a region's points leave the mesh or run backwards",
    "a region's index entries leave \"indices\" or run backwards",
    "the model is too large to build",
    "a \"restParentMat\" is not 16 numbers",
    "the root bone's \"restParentMat\" has no inverse",
    "the skeleton has no bone",
    "two bones have the same id",
    "a child id names no bone",
    "a bone is the child of two parents",
    "every bone is a child: the skeleton has no root",
    "bones form a cycle",
    "the clip does not exist",
    "the clip spans more than 100000 frames",
    "the clip's caches would be too large",
};

}  // namespace

const char* ModelErrorMessage(ModelError error) {
    const auto index = static_cast<std::size_t>(error);
    return index < messages.size() ? messages[index] : "unknown error";
}

}  // namespace MobilantModule
