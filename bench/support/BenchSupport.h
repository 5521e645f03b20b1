#pragma once

#include <benchmark/benchmark.h>
#include <map>
#include <string>

// Shared pieces of the benchmark programs.
namespace BenchSupport {

constexpr int QuestionTotal = 10000;

// Replaces the questions of the open bank (dmMain) by 10,000 generated ones: chapters 1–14
// in turn, every third question true/false (form 1), the others choice questions (form 2),
// every tenth filed in a second chapter as well. False when a statement failed.
bool GenerateBank();

// Prints the usual table and keeps each benchmark's CPU time per iteration for the ratios:
// on a shared, busy machine the wall clock mostly measures the neighbours.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    TRatioReporter() : ConsoleReporter(OO_Tabular) {}
    std::map<std::string, double> Seconds;
    void ReportRuns(const std::vector<Run>& runs) override;
};

void PrintRatio(TRatioReporter& reporter, const char* name, const char* baseline);

} // namespace BenchSupport
