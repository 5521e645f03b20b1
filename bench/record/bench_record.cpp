// The pages of the learner record over a long history (100,000 answers in 14 chapters, 500
// papers over 250 days), from the click to the painted page: the score chart and the weak
// chapters, each against painting an empty page of the same size in the same run. The goal
// is a painted page within 100 ms.
#include "data/SqlCipherConnection.h"
#include "data/uDataModule.h"
#include "record/LearnerRecord.h"
#include "record/ScoreChartPage.h"
#include "record/WeakChapterPage.h"
#include "support/BenchSupport.h"
#include "support/RatioReporter.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

TScoreChartPage* ChartPage = nullptr;
TWeakChapterPage* WeakPage = nullptr;
TPage* EmptyPage = nullptr;

void Paint(QWidget* page) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    benchmark::DoNotOptimize(page->grab().cacheKey());
}

void EmptyPagePainted(benchmark::State& state) {
    for (auto _ : state)
        Paint(EmptyPage);
}

void ScoreChartPainted(benchmark::State& state) {
    for (auto _ : state) {
        ChartPage->Reload();
        Paint(ChartPage);
    }
}

void WeakChaptersPainted(benchmark::State& state) {
    for (auto _ : state) {
        WeakPage->Reload();
        Paint(WeakPage);
    }
}

BENCHMARK(EmptyPagePainted)->Unit(benchmark::kMillisecond);
BENCHMARK(ScoreChartPainted)->Unit(benchmark::kMillisecond);
BENCHMARK(WeakChaptersPainted)->Unit(benchmark::kMillisecond);

// Writes the history straight into the record's tables, in one transaction.
bool FillRecord(const QString& file) {
    SqlCipherConnection db{QByteArray()};
    return db.Open(file) && db.Exec("begin") &&
           db.Exec("insert into Answer(SubID, ChapterID, AnsweredAt, Mode, IsRight) "
                   "with recursive n(i) as (select 1 union all select i + 1 from n "
                   "where i < 100000) select i % 10000 + 1, 1 + i % 14, "
                   "datetime('2025-06-01', '+' || (i / 400) || ' days'), '练习', "
                   "(i * 7919) % 100 < 60 + i % 14 * 2 from n") &&
           db.Exec("insert into Paper(TakenAt, Score, Questions, UseTime, CarTypeID, "
                   "CarTypeName, AreaID, AreaName, WrongSubIDs) "
                   "with recursive n(i) as (select 1 union all select i + 1 from n "
                   "where i < 500) select strftime('%Y-%m-%dT%H:%M:%S', '2025-06-01', "
                   "'+' || (i / 2) || ' days', '+' || (9 + i % 2 * 6) || ' hours'), "
                   "60 + i * 37 % 41, 100, 900 + i * 53 % 1700, 1, '小车', 1, '北京', '1 2 3' "
                   "from n") &&
           db.Exec("commit");
}

} // namespace

int main(int argc, char** argv) {
    BenchSupport::TPageBench bench(argc, argv);
    TLearnerRecord& record = LearnerRecord();
    if (!bench.BankOpen() || !record.IsOpen() || !FillRecord(record.File())) {
        std::fprintf(stderr, "could not prepare the bank and the record\n");
        return 1;
    }
    TScoreChartPage chart;
    TWeakChapterPage weak;
    TPage empty(QStringLiteral("tsEmpty"), QString());
    for (QWidget* page : {static_cast<QWidget*>(&chart), static_cast<QWidget*>(&weak),
                          static_cast<QWidget*>(&empty)}) {
        page->resize(834, 604);
        page->show();
    }
    ChartPage = &chart;
    WeakPage = &weak;
    EmptyPage = &empty;

    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("ScoreChartPainted", "EmptyPagePainted");
    reporter.PrintRatio("WeakChaptersPainted", "EmptyPagePainted");
    record.Close();
    return 0;
}
