// The object's 24 actions and 10 expressions as the host and the game author see them: codes,
// menu ids, menu labels, display and name strings, parameters with their types and titles. The
// information records the host reads, the routine tables, the menus and the string resources
// are all made from this one table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Parameter type codes of the information records.
enum class ParameterType : std::uint16_t {
    Integer = 1,   // an expression's integer parameter
    Numeric = 22,  // an action's numeric expression
    String = 45,   // an action's string expression
};

// How a routine fetches a parameter from the host.
enum class FetchAs : std::uint8_t {
    Integer,  // an action's kind 0xFFFFFFFF, an expression's kind 0
    Float,    // kind 2
    String,   // kind 0xFFFFFFFF: a pointer to the host's wide string
};

struct RoutineParameter {
    ParameterType type;
    FetchAs fetch;
    std::uint16_t titleId;  // string id of the title, 0 for none
    const char* title;      // null for none
};

inline constexpr std::size_t kMaxRoutineParameters = 4;

struct RoutineEntry {
    std::int16_t code;
    std::uint16_t menuId;    // 0: no menu entry
    std::uint16_t stringId;  // display string (action) or name string (expression); 0: none
    const char* label;       // menu label, null without a menu entry
    const char* text;        // the string of stringId, null without one
    std::uint8_t parameterCount;
    std::array<RoutineParameter, kMaxRoutineParameters> parameters;
};

inline constexpr std::size_t kActionCount = 24;
inline constexpr std::size_t kExpressionCount = 10;

// Actions and expressions in code order.
extern const std::array<RoutineEntry, kActionCount> kActionTable;
extern const std::array<RoutineEntry, kExpressionCount> kExpressionTable;

// Menu ids, string ids and title ids start here.
inline constexpr std::uint16_t kFirstActionMenuId = 25000;
inline constexpr std::uint16_t kFirstActionStringId = 5000;
inline constexpr std::uint16_t kFirstActionTitleId = 5501;
inline constexpr std::uint16_t kFirstExpressionMenuId = 27000;
inline constexpr std::uint16_t kFirstExpressionStringId = 7000;

// The information records in the host's format: per routine, in code order, the 16-bit words
// menu id, string id, code, flags (0), n, n parameter type codes, n title ids.
const std::uint16_t* ActionInfoRecords();
std::size_t ActionInfoWords();
const std::uint16_t* ExpressionInfoRecords();
std::size_t ExpressionInfoWords();

// The record of `code` among `words` words of records, found by walking them as the host does;
// null when no record within them has that code.
const std::uint16_t* FindInfoRecord(const std::uint16_t* records, std::size_t words, int code);

// The entry whose menu label is `label` (exact, letter for letter), or null.
const RoutineEntry* FindActionByLabel(const char* label);
const RoutineEntry* FindExpressionByLabel(const char* label);
