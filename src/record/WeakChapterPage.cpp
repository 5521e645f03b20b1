#include "record/WeakChapterPage.h"

#include "record/ChapterAccuracy.h"
#include "record/LearnerRecord.h"
#include "record/RecordBank.h"

#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

TWeakChapterPage::TWeakChapterPage(QWidget* parent)
    : TPage(QStringLiteral("tsWeakChapters"), QStringLiteral("薄弱章节"), parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    lblWeakTitle = MakeRecordHeading(this, "lblWeakTitle");
    sgWeakChapters = MakeRecordTable(this, "sgWeakChapters",
                                     {QStringLiteral("章节"), QStringLiteral("答题数"),
                                      QStringLiteral("答对数"), QStringLiteral("正确率")});
    sgWeakChapters->setToolTip(QStringLiteral("单击一行即练习该章"));
    layout->addWidget(lblWeakTitle);
    layout->addWidget(sgWeakChapters, 1);
    connect(sgWeakChapters, &QTableWidget::cellClicked, this, [this](int row, int) {
        const QTableWidgetItem* item = sgWeakChapters->item(row, 0);
        if (item)
            emit ChapterChosen(item->data(Qt::UserRole).toInt(), item->text());
    });
}

void TWeakChapterPage::Reload() {
    const QList<TChapterTally> tallies = WeakestFirst(LearnerRecord().ChapterTallies());
    const QHash<int, QString> names = ChapterNames();
    sgWeakChapters->setRowCount(0);
    for (const TChapterTally& tally : tallies) {
        AddRecordRow(sgWeakChapters,
                     {ChapterNameOf(names, tally.ChapterID), QString::number(tally.Answered),
                      QString::number(tally.Right), AccuracyText(tally)});
        sgWeakChapters->item(sgWeakChapters->rowCount() - 1, 0)
            ->setData(Qt::UserRole, tally.ChapterID);
    }
    lblWeakTitle->setText(
        tallies.isEmpty()
            ? QStringLiteral("还没有答题记录：练习或模拟考试之后，这里按正确率列出各章。")
            : QStringLiteral("各章正确率（最弱的在前），单击一行即练习该章："));
}
