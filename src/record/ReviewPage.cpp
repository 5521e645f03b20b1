#include "record/ReviewPage.h"

#include "record/LearnerRecord.h"
#include "record/RecordBank.h"
#include "record/RecordClock.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

QString ReviewEntryCaption(int dueToday) {
    return dueToday > 0 ? QStringLiteral("错题复习(%1)").arg(dueToday) : QStringLiteral("错题复习");
}

TReviewPage::TReviewPage(QWidget* parent)
    : TPage(QStringLiteral("tsReview"), QStringLiteral("错题复习"), parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    lblReviewDue = MakeRecordHeading(this, "lblReviewDue");
    lblReviewRule = new QLabel(
        QStringLiteral("复习规则（莱特纳盒子）：答错的题进入第1轮，次日到期；到期后答对进入下一轮，"
                       "间隔依次为1天、3天、7天；在第3轮到期后再答对即移出复习集。提前答对不计，"
                       "任何时候答错都回到第1轮。"),
        this);
    lblReviewRule->setObjectName(QStringLiteral("lblReviewRule"));
    lblReviewRule->setWordWrap(true);
    sgReview = MakeRecordTable(this, "sgReview",
                               {QStringLiteral("题号"), QStringLiteral("章节"),
                                QStringLiteral("轮次"), QStringLiteral("到期日")});
    btnStartReview = new QPushButton(QStringLiteral("开始复习"), this);
    btnStartReview->setObjectName(QStringLiteral("btnStartReview"));
    btnStartReview->setFixedSize(120, 33);
    layout->addWidget(lblReviewDue);
    layout->addWidget(lblReviewRule);
    layout->addWidget(sgReview, 1);
    layout->addWidget(btnStartReview, 0, Qt::AlignRight);
    connect(btnStartReview, &QPushButton::clicked, this, [this] { emit ReviewStarted(DueSubIDs); });
}

void TReviewPage::Reload() {
    TLearnerRecord& record = LearnerRecord();
    const QList<TReviewEntry> due = record.DueReviews(RecordClock::Today());
    const QHash<int, QString> names = ChapterNames();
    DueSubIDs.clear();
    sgReview->setRowCount(0);
    for (const TReviewEntry& entry : due) {
        DueSubIDs.append(entry.SubID);
        AddRecordRow(sgReview, {QString::number(entry.SubID), ChapterNameOf(names, entry.ChapterID),
                                QStringLiteral("第%1轮").arg(entry.Card.Box),
                                entry.Card.Due.toString(Qt::ISODate)});
    }
    lblReviewDue->setText(QStringLiteral("今日待复习：%1 题（复习集中共 %2 题）")
                              .arg(due.size())
                              .arg(record.ReviewCount()));
    btnStartReview->setEnabled(!due.isEmpty());
}
