#pragma once

#include <cstddef>

// Counts the program's calls of the global allocation functions (every form, over-aligned ones
// included), so a test can check that a hot path allocates nothing. Sanitizer builds keep their
// own allocation functions and count nothing; tests skip there.

// Whether this build counts allocations.
bool allocationsCounted();

// Number of global allocations made so far by the whole program.
std::size_t allocationCount();
