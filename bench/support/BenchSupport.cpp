#include "support/BenchSupport.h"

#include "data/uLoadDll.h"
#include "data/uProc.h"

#include <QStringList>
#include <cstdio>

namespace BenchSupport {
namespace {

constexpr int RowsPerInsert = 250;

QString Quoted(const QString& text) {
    return "'" + QString(text).replace("'", "''") + "'";
}

// One row of the generated bank: chapters 1–14 in turn, every third question true/false,
// every tenth filed in a second chapter as well.
QString GeneratedRow(int id, int subID, int chapterID) {
    const bool judge = subID % 3 == 0;
    const QString content =
        QStringLiteral("第%1题：在道路上行驶时遇到这种情况应当怎样做？").arg(subID);
    QStringList values{QString::number(id), QString::number(subID), QString::number(chapterID),
                       "''", Quoted(StrToCode(content))};
    for (const char* option : {"减速慢行", "加速通过", "鸣喇叭", "停车等待"})
        values << (judge ? "''" : Quoted(StrToCode(QString::fromUtf8(option))));
    values << Quoted(StrToCode(judge ? QStringLiteral("对") : QStringLiteral("A")))
           << Quoted(StrToCode(QStringLiteral("遇到这种情况应当减速慢行，注意观察。"))) << "''"
           << "''"
           << "''"
           << "''"
           << "false" << (judge ? "1" : "2") << "1"
           << "1";
    return "(" + values.join(",") + ")";
}

} // namespace

bool GenerateBank() {
    TQuery query;
    if (!ExecLocalSQL(query, "delete from Sub", "execute", false))
        return false;
    QStringList rows;
    int id = 0;
    auto flush = [&] {
        const QString sql = "insert into Sub (ID, SubID, ChapterID, SubMark, SubContent, AAnswer, "
                            "BAnswer, CAnswer, DAnswer, SubAnswer, SubAnalyse, SubContentPic, "
                            "SubContentPicType, SubAnalysePic, SubAnalysePicType, WrongMark, "
                            "SubFormatID, SubHardEasyID, SubTypeID) values " +
                            rows.join(",");
        rows.clear();
        return ExecLocalSQL(query, sql, "execute", false);
    };
    for (int subID = 1; subID <= QuestionTotal; ++subID) {
        rows << GeneratedRow(++id, subID, 1 + subID % 14);
        if (subID % 10 == 0)
            rows << GeneratedRow(++id, subID, 1 + (subID / 10) % 7);
        if (rows.size() >= RowsPerInsert && !flush())
            return false;
    }
    return rows.isEmpty() || flush();
}

void TRatioReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
        Seconds[run.benchmark_name()] =
            run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
}

void PrintRatio(TRatioReporter& reporter, const char* name, const char* baseline) {
    const double base = reporter.Seconds[baseline];
    if (base > 0)
        std::printf("%-26s %9.4f x %s (CPU time)\n", name, reporter.Seconds[name] / base, baseline);
}

} // namespace BenchSupport
