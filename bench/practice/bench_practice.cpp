// Practice over a generated bank of 10,000 questions: LoadPractice in chapter order and in
// random order and ShowSub, each compared with running the practice statement alone on the
// same file in the same run.
#include "data/SqlCipherConnection.h"
#include "data/uDataModule.h"
#include "data/uLoadDll.h"
#include "data/uProc.h"
#include "practice/PracticePage.h"
#include "practice/PracticeRules.h"
#include "settings/AppPaths.h"
#include "support/BenchSupport.h"
#include "support/RatioReporter.h"

#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

TSubList SubList;
int SubIndex = 0;
TKeyMap KeyMap;
TDriverInfo DriverInfo;
TPracticePage* Page = nullptr;

void RunStatement(benchmark::State& state, int order) {
    const QString sql = PracticeSQL(DriverInfo.SubCarTypeID, DriverInfo.SubAreaID,
                                    PracticeMode::AllQuestions, order);
    for (auto _ : state) {
        TQuery query;
        if (!ExecLocalSQL(query, sql, "open", false))
            state.SkipWithError("the practice statement failed");
        benchmark::DoNotOptimize(query.RecordCount());
    }
}

void RunLoadPractice(benchmark::State& state, int order) {
    for (auto _ : state)
        if (!Page->LoadPractice(PracticeMode::AllQuestions, order))
            state.SkipWithError("LoadPractice failed");
    state.counters["questions"] = QuestionCount(SubList);
}

void StatementChapterOrder(benchmark::State& state) {
    RunStatement(state, PracticeMode::ChapterOrder);
}
void LoadPracticeChapterOrder(benchmark::State& state) {
    RunLoadPractice(state, PracticeMode::ChapterOrder);
}
void StatementRandomOrder(benchmark::State& state) {
    RunStatement(state, PracticeMode::RandomOrder);
}
void LoadPracticeRandomOrder(benchmark::State& state) {
    RunLoadPractice(state, PracticeMode::RandomOrder);
}
void ShowSubEach(benchmark::State& state) {
    int index = 0;
    for (auto _ : state) {
        index = index % QuestionCount(SubList) + 1;
        SubIndex = index;
        Page->ShowSub(index);
    }
}

BENCHMARK(StatementChapterOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadPracticeChapterOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(StatementRandomOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadPracticeRandomOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(ShowSubEach)->Unit(benchmark::kMicrosecond);

} // namespace

using namespace BenchSupport;

int main(int argc, char** argv) {
    TPageBench bench(argc, argv);
    if (!bench.BankOpen() || !GenerateBank()) {
        std::fprintf(stderr, "could not generate the bank\n");
        return 1;
    }
    DriverInfo.SubCarTypeID = 1;
    DriverInfo.SubAreaID = 2;
    TPracticePage page(SubList, SubIndex, KeyMap, DriverInfo);
    Page = &page;
    page.resize(832, 582);
    page.show();
    page.LoadPractice(PracticeMode::AllQuestions, PracticeMode::ChapterOrder);

    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("LoadPracticeChapterOrder", "StatementChapterOrder");
    reporter.PrintRatio("LoadPracticeRandomOrder", "StatementRandomOrder");
    reporter.PrintRatio("ShowSubEach", "StatementChapterOrder");
    return 0;
}
