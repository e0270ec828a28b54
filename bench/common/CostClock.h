#pragma once

#include <benchmark/benchmark.h>

#include <ctime>

// Processor time of a benchmark's timed loop, for per-item costs reported as plain counters
// (ns_per_point = 2.3, not a rate with a unit suffix). Processor time rather than wall time,
// since other work may share the machine. Start it right before the loop.
class CostClock {
public:
    CostClock() : begin(std::clock()) {}

    // Processor seconds since construction.
    double seconds() const { return static_cast<double>(std::clock() - begin) / CLOCKS_PER_SEC; }

    // Processor seconds per iteration of the loop.
    double secondsPerIteration(const benchmark::State& state) const {
        return state.iterations() > 0 ? seconds() / static_cast<double>(state.iterations()) : 0.0;
    }

    // Sets counter `name` to the cost of one of `itemsPerIteration` items, in units of `unit`
    // seconds (1e-9 for nanoseconds, 1e-6 for microseconds).
    void report(benchmark::State& state, const char* name, double itemsPerIteration,
                double unit) const {
        const double items = itemsPerIteration > 0 ? itemsPerIteration : 1.0;
        state.counters[name] = secondsPerIteration(state) / items / unit;
    }

private:
    std::clock_t begin;
};
