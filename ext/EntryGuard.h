// The wall around every entry point and routine: the host's x87 state is set aside for the call,
// and nothing thrown inside ever reaches the host, which gets the neutral result instead.
#pragma once

#include <utility>

#include "X87ControlGuard.h"

// Runs `body` and returns its result, or `neutral` when it throws.
template <class Result, class Body>
Result Guarded(Result neutral, Body&& body) noexcept {
    X87ControlGuard fpu;
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return neutral;
    }
}

// Runs `body`, swallowing whatever it throws.
template <class Body>
void Guarded(Body&& body) noexcept {
    X87ControlGuard fpu;
    try {
        std::forward<Body>(body)();
    } catch (...) {
    }
}
