#include "record/ScoreChartPage.h"

#include "app/Look.h"
#include "data/MessageBox.h"
#include "record/LearnerRecord.h"
#include "record/PassEstimate.h"

#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <QValueAxis>

namespace {

constexpr int MeanPapers = 10;

QLineSeries* Line(const QString& name, const QColor& colour, Qt::PenStyle style, int width) {
    auto* series = new QLineSeries;
    series->setName(name);
    QPen pen(colour);
    pen.setStyle(style);
    pen.setWidth(width);
    series->setPen(pen);
    return series;
}

} // namespace

TScoreChartPage::TScoreChartPage(QWidget* parent)
    : TPage(QStringLiteral("tsScoreChart"), QStringLiteral("成绩曲线"), parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    auto* top = new QHBoxLayout;
    lblScoreSummary = new QLabel(this);
    lblScoreSummary->setObjectName(QStringLiteral("lblScoreSummary"));
    lblScoreSummary->setFont(Look::SongFont(15, true));
    top->addWidget(lblScoreSummary, 1);
    btnExportRecord = new QPushButton(QStringLiteral("导出记录(CSV)"), this);
    btnExportRecord->setObjectName(QStringLiteral("btnExportRecord"));
    btnExportRecord->setFixedSize(130, 30);
    top->addWidget(btnExportRecord);
    layout->addLayout(top);
    chScores = new QChartView(this);
    chScores->setObjectName(QStringLiteral("chScores"));
    chScores->setRenderHint(QPainter::Antialiasing);
    layout->addWidget(chScores, 1);
    connect(btnExportRecord, &QPushButton::clicked, this, &TScoreChartPage::btnExportRecordClick);
}

void TScoreChartPage::Reload() {
    const QList<TPaperRecord> papers = LearnerRecord().Papers();
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("模拟考试得分与用时"));
    chart->legend()->setAlignment(Qt::AlignBottom);
    QLineSeries* scores = Line(QStringLiteral("得分"), QColor(0x1B, 0x5A, 0xB0), Qt::SolidLine, 2);
    QLineSeries* times =
        Line(QStringLiteral("用时（分钟）"), QColor(0xE0, 0x8A, 0x1E), Qt::SolidLine, 1);
    QLineSeries* pass =
        Line(QStringLiteral("及格线 90 分"), QColor(0xD0, 0x20, 0x20), Qt::DashLine, 1);
    QLineSeries* mean =
        Line(QStringLiteral("最近十次平均"), QColor(0x1E, 0x8A, 0x52), Qt::DotLine, 3);
    QList<QPointF> scorePoints;
    QList<QPointF> timePoints;
    QList<int> values;
    for (const TPaperRecord& paper : papers) {
        const qreal x = qreal(paper.TakenAt.toMSecsSinceEpoch());
        scorePoints.append({x, qreal(paper.Score)});
        timePoints.append({x, paper.UseTime / 60.0});
        values.append(paper.Score);
    }
    scores->replace(scorePoints);
    scores->setPointsVisible(papers.size() <= 60);
    times->replace(timePoints);
    const double meanOfLast = MeanOfLast(values, MeanPapers);
    auto* xAxis = new QDateTimeAxis;
    xAxis->setFormat(QStringLiteral("MM-dd"));
    xAxis->setTitleText(QStringLiteral("日期"));
    // Without papers the axis has no dates of its own: its default span would label it
    // with the first days of 1970, and its title would have no room left.
    xAxis->setLabelsVisible(!papers.isEmpty());
    xAxis->setTitleVisible(!papers.isEmpty());
    if (!papers.isEmpty()) {
        // A single day still gets a span, so that its papers do not stand on the axis's edge.
        const QDateTime first = papers.first().TakenAt.addSecs(-3600);
        const QDateTime last = papers.last().TakenAt.addSecs(3600);
        xAxis->setRange(first, last);
        pass->append(qreal(first.toMSecsSinceEpoch()), 90);
        pass->append(qreal(last.toMSecsSinceEpoch()), 90);
        const qsizetype from = std::max<qsizetype>(0, papers.size() - MeanPapers);
        mean->append(scorePoints[from].x(), meanOfLast);
        mean->append(scorePoints.last().x(), meanOfLast);
    }
    auto* scoreAxis = new QValueAxis;
    scoreAxis->setRange(0, 100);
    scoreAxis->setTickCount(6);
    scoreAxis->setLabelFormat(QStringLiteral("%d"));
    scoreAxis->setTitleText(QStringLiteral("得分"));
    auto* timeAxis = new QValueAxis;
    timeAxis->setRange(0, 45);
    timeAxis->setTickCount(4);
    timeAxis->setLabelFormat(QStringLiteral("%d"));
    timeAxis->setTitleText(QStringLiteral("用时（分钟）"));
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(scoreAxis, Qt::AlignLeft);
    chart->addAxis(timeAxis, Qt::AlignRight);
    for (QLineSeries* series : {scores, pass, mean, times}) {
        chart->addSeries(series);
        series->attachAxis(xAxis);
        series->attachAxis(series == times ? timeAxis : scoreAxis);
    }
    QChart* old = chScores->chart();
    chScores->setChart(chart);
    delete old;
    lblScoreSummary->setText(
        papers.isEmpty() ? QStringLiteral("还没有模拟考试记录：交卷后每次成绩都会画在这里。")
                         : QStringLiteral("共 %1 次模拟考试，最近一次 %2 分，最近十次平均 %3 分")
                               .arg(papers.size())
                               .arg(papers.last().Score)
                               .arg(meanOfLast, 0, 'f', 1));
}

void TScoreChartPage::ExportRecord(const QString& folder) {
    QStringList written;
    if (!LearnerRecord().ExportCsv(folder, &written)) {
        ShowMessageBox(window(), QStringLiteral("导出学习记录失败，请检查目标文件夹是否可写！"),
                       MsgIcon::Warning);
        return;
    }
    ShowMessageBox(window(), QStringLiteral("学习记录已导出：\n") + written.join('\n'),
                   MsgIcon::Information);
}

void TScoreChartPage::btnExportRecordClick() {
    const QString folder = QFileDialog::getExistingDirectory(
        window(), QStringLiteral("导出学习记录到"),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    if (!folder.isEmpty())
        ExportRecord(folder);
}
