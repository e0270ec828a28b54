#include "JsonStatus.h"

namespace MobilantModule {

const char* jsonStatusName(JsonStatus status) {
    static const char* const names[] = {
        "Ok",           "BadNumber",       "BadString",       "BadLiteral",
        "TooDeep",      "UnexpectedClose", "MismatchedClose", "UnexpectedCharacter",
        "KeyNotString", "UnexpectedEnd",
    };
    const auto index = static_cast<unsigned>(status);
    return index < sizeof(names) / sizeof(names[0]) ? names[index] : "Unknown";
}

}  // namespace MobilantModule
