// Practice over a generated bank of 10,000 questions: LoadPractice in chapter order and in
// random order and ShowSub, each compared with running the practice statement alone on the
// same file in the same run.
#include "FixtureBank.h"
#include "data/SqlCipherConnection.h"
#include "data/uDataModule.h"
#include "data/uLoadDll.h"
#include "data/uProc.h"
#include "practice/PracticePage.h"
#include "practice/PracticeRules.h"
#include "settings/AppPaths.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr int QuestionTotal = 10000;

TSubList SubList;
int SubIndex = 0;
TKeyMap KeyMap;
TDriverInfo DriverInfo;
TPracticePage* Page = nullptr;

// One question of the generated bank: every third true/false.
FixtureBank::Question GeneratedQuestion(int id, int subID, int chapterID) {
    const bool judge = subID % 3 == 0;
    FixtureBank::Question question{
        id,
        subID,
        chapterID,
        QStringLiteral("第%1题：在道路上行驶时遇到这种情况应当怎样做？").arg(subID),
        judge ? QStringList() : QStringList{"减速慢行", "加速通过", "鸣喇叭", "停车等待"},
        judge ? QStringLiteral("对") : QStringLiteral("A")};
    question.Analyse = QStringLiteral("遇到这种情况应当减速慢行，注意观察。");
    return question;
}

// Chapters 1–14 in turn, every tenth question filed in a second chapter as well.
bool GenerateBank() {
    QList<FixtureBank::Question> questions;
    int id = 0;
    for (int subID = 1; subID <= QuestionTotal; ++subID) {
        questions.append(GeneratedQuestion(++id, subID, 1 + subID % 14));
        if (subID % 10 == 0)
            questions.append(GeneratedQuestion(++id, subID, 1 + (subID / 10) % 7));
    }
    return FixtureBank::ReplaceQuestions(dmMain->adocLocal(), questions);
}

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
};

void PrintRatio(TRatioReporter& reporter, const char* name, const char* baseline) {
    const double base = reporter.Seconds[baseline];
    if (base > 0)
        std::printf("%-26s %9.4f x %s (CPU time)\n", name, reporter.Seconds[name] / base, baseline);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    QTemporaryDir folder;
    AppPaths::SetDataFolder(folder.path());
    QFile::copy(QCoreApplication::applicationDirPath() + "/DriveDB.db",
                folder.path() + "/DriveDB.db");
    const QStringList missing = LoadLibraries();
    if (!missing.isEmpty())
        std::fprintf(stderr, "missing: %s\n", qPrintable(missing.join(", ")));
    TdmMain dataModule;
    dmMain = &dataModule;
    dataModule.DataModuleCreate(AppPaths::BankFile());
    if (!dataModule.Connected() || !GenerateBank()) {
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
    PrintRatio(reporter, "LoadPracticeChapterOrder", "StatementChapterOrder");
    PrintRatio(reporter, "LoadPracticeRandomOrder", "StatementRandomOrder");
    PrintRatio(reporter, "ShowSubEach", "StatementChapterOrder");
    dmMain = nullptr;
    return 0;
}
