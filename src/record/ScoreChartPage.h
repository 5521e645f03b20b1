#pragma once

#include "app/Page.h"

class QChart;
class QChartView;
class QLabel;
class QPushButton;

// 成绩曲线: every mock exam's score and use time over time, the pass line at 90 and the
// mean of the last ten papers; and the export of the whole record as CSV.
class TScoreChartPage : public TPage {
    Q_OBJECT
public:
    explicit TScoreChartPage(QWidget* parent = nullptr);

    void Reload();
    // Exports the record into `folder` and tells the learner where it went or that it failed.
    void ExportRecord(const QString& folder);
    void btnExportRecordClick();

private:
    QLabel* lblScoreSummary;
    QChartView* chScores;
    QPushButton* btnExportRecord;
};
