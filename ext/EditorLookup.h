// What the editor asks about the object's actions and expressions: which routine a menu command
// is, where a routine's texts and parameter titles come from, and whether the editor is new
// enough. Lookups walk the information records and never read past them.
#pragma once

#include <cstddef>
#include <cstdint>

// The code of the record whose menu id is `menuId` among `words` words of information records;
// -1 when no record has it. Menu id 0 (a routine without a menu entry) is no menu command.
int CodeFromMenuId(const std::uint16_t* records, std::size_t words, int menuId);

// The record of an action or expression from its code word on, as the editor reads it; null for
// a code no record has.
const std::uint16_t* ActionInfoFromCode(int code);
const std::uint16_t* ExpressionInfoFromCode(int code);

// The string id of an action's display string or an expression's name (word 1 of its record);
// 0 for a code no record has, or a record without one.
std::uint16_t ActionStringId(int code);
std::uint16_t ExpressionStringId(int code);

// Where a title shown by the editor comes from.
struct TitleSource {
    enum class Kind : std::uint8_t {
        Empty,      // nothing: the title is an empty string
        String,     // the string resource `id`
        MenuLabel,  // the text of menu command `id` in the routine's menu
    };
    Kind kind = Kind::Empty;
    std::uint16_t id = 0;
};

// An action parameter's title: its title string, or the action's menu label when its title id
// is 0; empty for an unknown code or a parameter the record does not have.
TitleSource ActionTitleSource(int code, int parameter);
// An expression's title, from its first parameter as an action's; an expression without
// parameters gives its menu label. Empty for an unknown code.
TitleSource ExpressionTitleSource(int code);
// An expression parameter's title string; empty when its title id is 0, for an unknown code or
// a parameter the record does not have.
TitleSource ExpressionParameterSource(int code, int parameter);

// Whether the editor's version word is one the object works with: build (low 12 bits) at least
// 249, version (high 16 bits) at least 0x0200, and bit 0x8000 clear.
bool IsSupportedEditorVersion(std::uint32_t versionWord);
