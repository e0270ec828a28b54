#pragma once

namespace MobilantModule {

// Why a model file, or one clip of it, is refused. The numbers are fixed: tests and logs refer
// to them. ModelErrorMessage holds the one text of each.
enum class ModelError : int {
    Ok = 0,
    ParseFailed = 1,          // the text is not JSON (LoadMobilantJSONData said so)
    RootNotObject = 2,        // the root value is not an object
    MissingMember = 3,        // a required member is absent
    WrongKind = 4,            // a member holds another kind of value than the format's
    NotFinite = 5,            // a number infinite or NaN as a float (1e999, 1e39, 0e999)
    OddPoints = 6,            // "points" holds an odd count of numbers
    OddUvs = 7,               // "uvs" holds an odd count of numbers
    UvsPointsMismatch = 8,    // "uvs" and "points" differ in length
    IndexOutOfRange = 9,      // an entry of "indices" names no point
    RegionPointRange = 10,    // a region's points leave the mesh or run backwards
    RegionIndexRange = 11,    // a region's index entries leave "indices" or run backwards
    ModelTooLarge = 12,       // the regions' skinning tables would exceed the build budget
    MatrixNotSixteen = 13,    // a "restParentMat" is not an array of 16 numbers
    RootMatrixSingular = 14,  // retired: a singular root "restParentMat" is accepted
    NoBones = 15,             // the skeleton is empty
    DuplicateBoneId = 16,     // two bones share an "id"
    UnknownChild = 17,        // a "children" id names no bone
    ChildOfTwoParents = 18,   // a bone is listed as a child twice
    NoRootBone = 19,          // every bone is somebody's child
    BoneCycle = 20,           // bones are their own ancestors
    ClipMissing = 21,         // "animation" has no member of that name
    ClipTooLong = 22,         // more than kMaxClipFrameSpan frames between first and last key
    ClipTooLarge = 23,        // the clip's caches would exceed their budget
};

// The message of an error code; "unknown error" for a number that names none.
const char* ModelErrorMessage(ModelError error);

}  // namespace MobilantModule
