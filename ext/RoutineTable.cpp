#include "RoutineTable.h"

#include <cstring>

namespace {

constexpr RoutineParameter Int(std::uint16_t titleId, const char* title) {
    return {ParameterType::Numeric, FetchAs::Integer, titleId, title};
}
constexpr RoutineParameter Float(std::uint16_t titleId, const char* title) {
    return {ParameterType::Numeric, FetchAs::Float, titleId, title};
}
constexpr RoutineParameter Text(std::uint16_t titleId, const char* title) {
    return {ParameterType::String, FetchAs::String, titleId, title};
}
constexpr RoutineParameter None() {
    return {ParameterType::Numeric, FetchAs::Integer, 0, nullptr};
}
// Expression parameters have no titles.
constexpr RoutineParameter ExprInt() {
    return {ParameterType::Integer, FetchAs::Integer, 0, nullptr};
}
constexpr RoutineParameter ExprIntAsFloat() {
    return {ParameterType::Integer, FetchAs::Float, 0, nullptr};
}

constexpr RoutineEntry Action(std::int16_t code, const char* label, const char* text,
                              std::uint8_t count, RoutineParameter p0 = None(),
                              RoutineParameter p1 = None(), RoutineParameter p2 = None(),
                              RoutineParameter p3 = None()) {
    return {code,
            static_cast<std::uint16_t>(kFirstActionMenuId + code),
            static_cast<std::uint16_t>(kFirstActionStringId + code),
            label,
            text,
            count,
            {p0, p1, p2, p3}};
}

constexpr RoutineEntry Expression(std::int16_t code, const char* label, const char* text,
                                  std::uint8_t count, RoutineParameter p0 = None(),
                                  RoutineParameter p1 = None()) {
    const bool listed = label != nullptr;
    return {code,
            static_cast<std::uint16_t>(listed ? kFirstExpressionMenuId + code : 0),
            static_cast<std::uint16_t>(listed ? kFirstExpressionStringId + code : 0),
            label,
            text,
            count,
            {p0, p1, None(), None()}};
}

// Titles are numbered from 5501 in the order the parameters appear.
constexpr std::uint16_t T(int n) {
    return static_cast<std::uint16_t>(kFirstActionTitleId + n);
}

// The spellings are the object's own, including "SetAnimetionTime", "raito" and "getAnimetionTime".
constexpr std::array<RoutineEntry, kActionCount> kActions = {
    Action(0, "LoadTexturePool", "LoadTexturePool:(%0,%1)", 2, Int(T(0), "texture pool_id"),
           Text(T(1), "filename")),
    Action(1, "LoadMobilantPool", "LoadMobilantPool:(%0,%1)", 2, Int(T(2), "mobilant pool_id"),
           Text(T(3), "filename")),
    Action(2, "ReleaseTexturePool", "ReleaseTexturePool:(%0)", 1, Int(T(4), "texture pool_id")),
    Action(3, "ReleaseMobilantPool", "ReleaseMobilantPool:(%0)", 1,
           Int(T(5), "mobilant pool_id")),
    Action(4, "ReleaseAllPool", "ReleaseAllPool", 0),
    Action(5, "SetMobilantData", "SetMobilantData:(%0)", 1, Int(T(6), "mobilant pool_id")),
    Action(6, "SetTexture", "SetTexture:(%0)", 1, Int(T(7), "texture pool_id")),
    Action(7, "InitAnimation", "InitAnimation:(%0)", 1, Text(T(8), "Animation name")),
    Action(8, "PlayAnimation", "PlayAnimation:(%0)", 1, Text(T(9), "Animation name")),
    Action(9, "SetAnimationSpeed", "SetAnimationSpeed:(%0)", 1, Float(T(10), "animation speed")),
    Action(10, "SetAnimationBlending", "SetAnimationBlending:(%0,%1)", 2,
           Text(T(11), "Animation name"), Float(T(12), "Animation Factor(0.0 to 1.0)")),
    Action(11, "SetMirrorY", "SetMirrorY:(%0)", 1, Int(T(13), "0:off 1:on")),
    Action(12, "UpdateViewMatrix", "UpdateViewMatrix:(%0,%1,%2,%3)", 4, Float(T(14), "LEFT"),
           Float(T(15), "RIGHT"), Float(T(16), "TOP"), Float(T(17), "BOTTOM")),
    Action(13, "SetSurfaceSize", "SetSurfaceSize:(%0,%1)", 2, Int(T(18), "width"),
           Int(T(19), "height")),
    Action(14, "SetHotSpot", "SetHotSpot:(%0,%1)", 2, Int(T(20), "x"), Int(T(21), "y")),
    Action(15, "SetRotate", "SetRotate:(%0)", 1, Int(T(22), "angle")),
    Action(16, "SetScaleXY", "SetScaleXY:(%0,%1)", 2, Float(T(23), "scale_x"),
           Float(T(24), "scale_y")),
    Action(17, "fitMatrixtoSurface", "FitMatrixToSurface:(%0)", 1,
           Float(T(25), "scale raito(default 1.0)")),
    Action(18, "SetAnimationTime", "SetAnimetionTime:(%0)", 1, Float(T(26), "time (start 0.0)")),
    Action(19, "SetDebugDraw", "SetDebugDraw:(%0)", 1, Int(T(27), "0:off 1:on")),
    Action(20, "LoadMetaFile", "LoadSkinMetaFile:(%0)", 1, Text(T(28), "filename")),
    Action(21, "SetSkinSwap", "SetSkinSwap:(%0)", 1, Text(T(29), "name")),
    Action(22, "setMorphTargetFlg", "setMorphTargetFlg:(%0)", 1, Int(T(30), "flg (0:off 1:on)")),
    Action(23, "setMorphTargetPos", "setMorphTargetPos: base(%0,%1) target(%2,%3)", 4,
           Int(T(31), "base_x"), Int(T(32), "base_y"), Int(T(33), "target_x"),
           Int(T(34), "target_y")),
};

constexpr std::array<RoutineEntry, kExpressionCount> kExpressions = {
    Expression(0, "getScaleX", "getScaleX(", 0),
    Expression(1, "getScaleY", "getScaleY(", 0),
    Expression(2, "getRotate", "getRotate(", 0),
    Expression(3, "getBoxPoint_X", "getBoxPoint_X(", 1, ExprInt()),
    Expression(4, "getBoxPoint_Y", "getBoxPoint_Y(", 1, ExprInt()),
    Expression(5, nullptr, nullptr, 0),
    Expression(6, nullptr, nullptr, 0),
    Expression(7, "getAnimetionTime", "getAnimetionTime(", 0),
    Expression(8, "hitTestPolygons", "hitTestPolygons(", 2, ExprIntAsFloat(), ExprIntAsFloat()),
    Expression(9, "hitTestBoundingBox", "hitTestBoundingBox(", 2, ExprIntAsFloat(),
               ExprIntAsFloat()),
};

template <std::size_t N>
constexpr std::size_t WordsOf(const std::array<RoutineEntry, N>& entries) {
    std::size_t words = 0;
    for (const RoutineEntry& e : entries) words += 5 + 2 * std::size_t{e.parameterCount};
    return words;
}

template <std::size_t Words, std::size_t N>
constexpr std::array<std::uint16_t, Words> RecordsOf(const std::array<RoutineEntry, N>& entries) {
    std::array<std::uint16_t, Words> words{};
    std::size_t at = 0;
    for (const RoutineEntry& e : entries) {
        words[at++] = e.menuId;
        words[at++] = e.stringId;
        words[at++] = static_cast<std::uint16_t>(e.code);
        words[at++] = 0;  // flags
        words[at++] = e.parameterCount;
        for (std::size_t p = 0; p < e.parameterCount; ++p)
            words[at++] = static_cast<std::uint16_t>(e.parameters[p].type);
        for (std::size_t p = 0; p < e.parameterCount; ++p) words[at++] = e.parameters[p].titleId;
    }
    return words;
}

constexpr auto kActionRecords = RecordsOf<WordsOf(kActions)>(kActions);
constexpr auto kExpressionRecords = RecordsOf<WordsOf(kExpressions)>(kExpressions);

template <std::size_t N>
const RoutineEntry* FindByLabel(const std::array<RoutineEntry, N>& entries, const char* label) {
    if (label == nullptr) return nullptr;
    for (const RoutineEntry& e : entries)
        if (e.label != nullptr && std::strcmp(e.label, label) == 0) return &e;
    return nullptr;
}

}  // namespace

const std::array<RoutineEntry, kActionCount> kActionTable = kActions;
const std::array<RoutineEntry, kExpressionCount> kExpressionTable = kExpressions;

const std::uint16_t* ActionInfoRecords() {
    return kActionRecords.data();
}
std::size_t ActionInfoWords() {
    return kActionRecords.size();
}
const std::uint16_t* ExpressionInfoRecords() {
    return kExpressionRecords.data();
}
std::size_t ExpressionInfoWords() {
    return kExpressionRecords.size();
}

const std::uint16_t* FindInfoRecord(const std::uint16_t* records, std::size_t words, int code) {
    if (records == nullptr || code < 0 || code > 0xFFFF) return nullptr;
    std::size_t at = 0;
    while (at + 5 <= words) {
        const std::size_t length = 5 + 2 * std::size_t{records[at + 4]};
        if (at + length > words) return nullptr;
        if (records[at + 2] == static_cast<std::uint16_t>(code)) return records + at;
        at += length;
    }
    return nullptr;
}

const RoutineEntry* FindActionByLabel(const char* label) {
    return FindByLabel(kActions, label);
}

const RoutineEntry* FindExpressionByLabel(const char* label) {
    return FindByLabel(kExpressions, label);
}
