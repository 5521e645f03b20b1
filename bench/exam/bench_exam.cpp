// Paper composition (count query, paper query, reading the rows, dropping repeats) on the
// sample bank and on a generated bank of 10,000 questions, each compared with running the
// bare paper statement on the same file in the same run.
#include "data/uDataModule.h"
#include "data/uLoadDll.h"
#include "data/uProc.h"
#include "exam/MockExamPage.h"
#include "exam/PaperRules.h"
#include "practice/AnswerRule.h"
#include "settings/AppPaths.h"
#include "settings/Configure.h"
#include "support/BenchSupport.h"
#include "support/RatioReporter.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

using namespace BenchSupport;

namespace {

TDriverInfo DriverInfo;
TdmMain* SampleBank = nullptr;
TdmMain* GeneratedBank = nullptr;

QString BarePaperStatement() {
    TQuery counts;
    ExecLocalSQL(counts, PaperCountSQL(DriverInfo.SubCarTypeID, DriverInfo.SubAreaID), "open",
                 false);
    return PaperSQL(ChapterCounts(counts, DriverInfo.SubAreaID));
}

void RunStatement(benchmark::State& state, TdmMain* bank) {
    dmMain = bank;
    const QString sql = BarePaperStatement();
    for (auto _ : state) {
        TQuery query;
        if (!ExecLocalSQL(query, sql, "open", false))
            state.SkipWithError("the paper statement failed");
        benchmark::DoNotOptimize(query.RecordCount());
    }
}

void RunCompose(benchmark::State& state, TdmMain* bank) {
    dmMain = bank;
    TSubList paper;
    for (auto _ : state)
        if (!ComposeMockExamPaper(DriverInfo, paper, nullptr))
            state.SkipWithError("no paper");
    state.counters["questions"] = QuestionCount(paper);
}

void PaperStatementSample(benchmark::State& state) {
    RunStatement(state, SampleBank);
}
void ComposePaperSample(benchmark::State& state) {
    RunCompose(state, SampleBank);
}
void PaperStatementGenerated(benchmark::State& state) {
    RunStatement(state, GeneratedBank);
}
void ComposePaperGenerated(benchmark::State& state) {
    RunCompose(state, GeneratedBank);
}

BENCHMARK(PaperStatementSample)->Unit(benchmark::kMillisecond);
BENCHMARK(ComposePaperSample)->Unit(benchmark::kMillisecond);
BENCHMARK(PaperStatementGenerated)->Unit(benchmark::kMillisecond);
BENCHMARK(ComposePaperGenerated)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    UseOffscreenUnlessSet();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    LoadProgramLibraries();

    QTemporaryDir sampleFolder, generatedFolder;
    const auto sample = OpenSampleBankCopy(sampleFolder.path());
    const auto generated = OpenSampleBankCopy(generatedFolder.path());
    dmMain = generated.get();
    if (!sample->Connected() || !generated->Connected() || !GenerateBank()) {
        std::fprintf(stderr, "could not open or generate the banks\n");
        return 1;
    }
    SampleBank = sample.get();
    GeneratedBank = generated.get();
    DriverInfo.SubCarTypeID = 1;
    DriverInfo.SubAreaID = 2;

    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("ComposePaperSample", "PaperStatementSample");
    reporter.PrintRatio("ComposePaperGenerated", "PaperStatementGenerated");
    dmMain = nullptr;
    return 0;
}
