#pragma once

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

// Prints the usual table and keeps each benchmark's CPU time per iteration for the ratios:
// on a shared, busy machine the wall clock mostly measures the neighbours.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    TRatioReporter() : ConsoleReporter(OO_Tabular) {}
    std::map<std::string, double> Seconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            Seconds[run.benchmark_name()] =
                run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }

    // One line: `name`'s time as a multiple of `baseline`'s, and in milliseconds.
    void PrintRatio(const char* name, const char* baseline) {
        const double base = Seconds[baseline];
        if (base > 0)
            std::printf("%-26s %9.4f x %s (CPU time; %.3f ms)\n", name, Seconds[name] / base,
                        baseline, Seconds[name] * 1000);
    }
};
