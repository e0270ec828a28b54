#include "EditorLookup.h"

#include "RoutineTable.h"

namespace {

// Words of a record: 0 menu id, 1 string id, 2 code, 3 flags, 4 n, then n types and n titles.
constexpr std::size_t kMenuIdWord = 0;
constexpr std::size_t kStringIdWord = 1;
constexpr std::size_t kCodeWord = 2;
constexpr std::size_t kCountWord = 4;
constexpr std::size_t kFirstTypeWord = 5;

const std::uint16_t* ActionRecord(int code) {
    return FindInfoRecord(ActionInfoRecords(), ActionInfoWords(), code);
}

const std::uint16_t* ExpressionRecord(int code) {
    return FindInfoRecord(ExpressionInfoRecords(), ExpressionInfoWords(), code);
}

// Parameter `parameter`'s title as a string, or the menu label when `labelForUntitled` and its
// title id is 0.
TitleSource ParameterTitle(const std::uint16_t* record, int parameter, bool labelForUntitled) {
    if (record == nullptr || parameter < 0 || parameter >= record[kCountWord]) return {};
    const std::uint16_t titleId =
        record[kFirstTypeWord + record[kCountWord] + static_cast<std::size_t>(parameter)];
    if (titleId != 0) return {TitleSource::Kind::String, titleId};
    if (labelForUntitled && record[kMenuIdWord] != 0)
        return {TitleSource::Kind::MenuLabel, record[kMenuIdWord]};
    return {};
}

}  // namespace

int CodeFromMenuId(const std::uint16_t* records, std::size_t words, int menuId) {
    if (records == nullptr || menuId <= 0 || menuId > 0xFFFF) return -1;
    std::size_t at = 0;
    while (at + kFirstTypeWord <= words) {
        const std::size_t length = kFirstTypeWord + 2 * std::size_t{records[at + kCountWord]};
        if (at + length > words) return -1;
        if (records[at + kMenuIdWord] == menuId) return records[at + kCodeWord];
        at += length;
    }
    return -1;
}

const std::uint16_t* ActionInfoFromCode(int code) {
    const std::uint16_t* record = ActionRecord(code);
    return record != nullptr ? record + kCodeWord : nullptr;
}

const std::uint16_t* ExpressionInfoFromCode(int code) {
    const std::uint16_t* record = ExpressionRecord(code);
    return record != nullptr ? record + kCodeWord : nullptr;
}

std::uint16_t ActionStringId(int code) {
    const std::uint16_t* record = ActionRecord(code);
    return record != nullptr ? record[kStringIdWord] : 0;
}

std::uint16_t ExpressionStringId(int code) {
    const std::uint16_t* record = ExpressionRecord(code);
    return record != nullptr ? record[kStringIdWord] : 0;
}

TitleSource ActionTitleSource(int code, int parameter) {
    return ParameterTitle(ActionRecord(code), parameter, true);
}

TitleSource ExpressionTitleSource(int code) {
    const std::uint16_t* record = ExpressionRecord(code);
    if (record == nullptr) return {};
    if (record[kCountWord] == 0)
        return record[kMenuIdWord] != 0
                   ? TitleSource{TitleSource::Kind::MenuLabel, record[kMenuIdWord]}
                   : TitleSource{};
    return ParameterTitle(record, 0, true);
}

TitleSource ExpressionParameterSource(int code, int parameter) {
    return ParameterTitle(ExpressionRecord(code), parameter, false);
}

bool IsSupportedEditorVersion(std::uint32_t versionWord) {
    const std::uint32_t build = versionWord & 0x0FFF;
    const std::uint32_t version = versionWord >> 16;
    return build >= 249 && version >= 0x0200 && (versionWord & 0x8000) == 0;
}
