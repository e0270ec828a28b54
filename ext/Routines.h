// The routine tables GetRunObjectInfos hands to the host: the 24 actions and 10 expressions in
// code order (RoutineTable.h describes each).
#pragma once

#include "HostConventions.h"

// kActionCount action routines, in code order.
const ActionRoutine* ActionRoutines();
// kExpressionCount expression routines, in code order.
const ExpressionRoutine* ExpressionRoutines();
