// Fetching a routine's parameters through the host's callbacks.
#pragma once

#include <cstdint>

#include "HostConventions.h"

// The next action parameter as an integer, a float, or the host's wide string (never null).
std::int32_t ActionInt(RunData* runData);
float ActionFloat(RunData* runData);
const wchar_t* ActionString(RunData* runData);

// An expression's first or next parameter as an integer or a float; `param` is the word the
// host handed to the routine.
std::int32_t ExpressionInt(RunData* runData, bool first, long param);
float ExpressionFloat(RunData* runData, bool first, long param);
