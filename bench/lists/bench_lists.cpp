// The item lists on the sample bank, from the click to the painted page: the learner's
// chapter list (query, rows, paint) against running its statement alone, and a list of 50
// picture tiles against painting the empty page, both in the same run.
#include "app/ItemList.h"
#include "data/uDataModule.h"
#include "data/uLoadDll.h"
#include "data/uProc.h"
#include "practice/ChapterList.h"
#include "settings/AppPaths.h"
#include "support/BenchSupport.h"
#include "support/RatioReporter.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

TItemListPage* Page = nullptr;
TDriverInfo DriverInfo;
QString TilePicture;
QList<TDirectoryList> Tiles;

// Lays the page out, removes the controls of the list before, and paints it.
void PaintPage() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    benchmark::DoNotOptimize(Page->grab().cacheKey());
}

void ChapterStatement(benchmark::State& state) {
    const QString sql = ChapterListSQL(DriverInfo.SubCarTypeID, DriverInfo.SubAreaID);
    for (auto _ : state) {
        TQuery query;
        if (!ExecLocalSQL(query, sql, "open", false))
            state.SkipWithError("the chapter statement failed");
        benchmark::DoNotOptimize(query.RecordCount());
    }
}

void ChapterListPainted(benchmark::State& state) {
    for (auto _ : state) {
        if (!ShowChapterList(*Page, DriverInfo, nullptr))
            state.SkipWithError("the chapter list failed");
        PaintPage();
    }
    state.counters["rows"] = Page->ListItems().size();
}

void EmptyPagePainted(benchmark::State& state) {
    Page->BuildRowList({}, nullptr);
    for (auto _ : state)
        PaintPage();
}

void TileList50Painted(benchmark::State& state) {
    for (auto _ : state) {
        Page->BuildTileList(
            Tiles, [](const TDirectoryList&) { return TilePicture; }, nullptr);
        PaintPage();
    }
}

BENCHMARK(ChapterStatement)->Unit(benchmark::kMillisecond);
BENCHMARK(ChapterListPainted)->Unit(benchmark::kMillisecond);
BENCHMARK(EmptyPagePainted)->Unit(benchmark::kMillisecond);
BENCHMARK(TileList50Painted)->Unit(benchmark::kMillisecond);

// A thumbnail as the teaching libraries hand them out: a JPEG file of the tile's size.
QString WriteTilePicture(const QString& folder) {
    QImage image(138, 103, QImage::Format_RGB32);
    image.fill(QColor(0xC0, 0xDC, 0xFF));
    QPainter painter(&image);
    painter.setBrush(QColor(0xD0, 0x30, 0x30));
    painter.drawEllipse(QPoint(69, 51), 40, 40);
    painter.end();
    const QString path = folder + "/J1.jpg";
    image.save(path, "JPEG");
    return path;
}

} // namespace

int main(int argc, char** argv) {
    BenchSupport::TPageBench bench(argc, argv);
    if (!bench.BankOpen()) {
        std::fprintf(stderr, "could not open the sample bank\n");
        return 1;
    }
    DriverInfo.SubCarTypeID = 2;
    DriverInfo.SubAreaID = 4;
    TilePicture = WriteTilePicture(bench.Folder());
    for (int i = 0; i < 50; ++i)
        Tiles.append({nullptr, nullptr, nullptr, QStringLiteral("交通标志 %1").arg(i + 1),
                      QStringLiteral("交通标志"), i + 1});
    TItemListPage page;
    Page = &page;
    page.resize(834, 604);
    page.show();

    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("ChapterListPainted", "ChapterStatement");
    reporter.PrintRatio("TileList50Painted", "EmptyPagePainted");
    return 0;
}
