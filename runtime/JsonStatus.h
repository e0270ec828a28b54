#pragma once

namespace MobilantModule {

// The outcome of jsonParse. The numbers are stable: tools and tests print and compare them.
enum class JsonStatus {
    Ok = 0,                   // the root value is complete
    BadNumber = 1,            // malformed number, or a number not followed by a delimiter
    BadString = 2,            // control character, bad escape or bad \u digits in a string,
                              // or a string not followed by a delimiter
    BadLiteral = 3,           // t, f or n that does not spell true, false or null + delimiter
    TooDeep = 4,              // a 33rd level of nested arrays and objects was opened
    UnexpectedClose = 5,      // ] or } with no open container
    MismatchedClose = 6,      // ] closing an object or } closing an array
    UnexpectedCharacter = 7,  // a character that cannot start a token here
    KeyNotString = 8,         // an object member key that is not a string
    UnexpectedEnd = 9,        // the text ended before the root value was complete
};

// The status's name exactly as the enumerator spells it ("Ok", "BadNumber", ...);
// "Unknown" for a value outside the enumeration.
const char* jsonStatusName(JsonStatus status);

}  // namespace MobilantModule
