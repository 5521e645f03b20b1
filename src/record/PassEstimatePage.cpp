#include "record/PassEstimatePage.h"

#include "app/Look.h"
#include "record/LearnerRecord.h"
#include "record/PassEstimate.h"
#include "record/RecordBank.h"

#include <QLabel>
#include <QVBoxLayout>

TPassEstimatePage::TPassEstimatePage(const TDriverInfo& driverInfo, QWidget* parent)
    : TPage(QStringLiteral("tsPassEstimate"), QStringLiteral("通过预测"), parent),
      DriverInfo(driverInfo) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(18);
    lblPassChance = MakeRecordHeading(this, "lblPassChance");
    lblPassChance->setFont(Look::SongFont(40, true));
    lblPassBasis = new QLabel(this);
    lblPassBasis->setObjectName(QStringLiteral("lblPassBasis"));
    lblPassBasis->setWordWrap(true);
    lblPassRule = new QLabel(PassEstimateRuleText(), this);
    lblPassRule->setObjectName(QStringLiteral("lblPassRule"));
    lblPassRule->setWordWrap(true);
    layout->addWidget(lblPassChance);
    layout->addWidget(lblPassBasis);
    layout->addWidget(lblPassRule);
    layout->addStretch(1);
}

void TPassEstimatePage::Reload() {
    TLearnerRecord& record = LearnerRecord();
    const QList<TPaperRecord> papers = record.Papers();
    QList<TPaperScore> newestFirst;
    for (auto it = papers.crbegin(); it != papers.crend(); ++it)
        newestFirst.append({it->Score, it->Questions});
    const TPassEstimate estimate =
        EstimatePass(newestFirst, record.ChapterTallies(), ChapterWeights(DriverInfo));
    if (!estimate.Known) {
        lblPassChance->setText(QStringLiteral("暂无预测"));
        lblPassBasis->setText(
            QStringLiteral("至少做一次模拟考试或答满%1题后，这里给出下一次模拟考试的通过机会。")
                .arg(PassRule::MinimumAnswers));
        return;
    }
    lblPassChance->setText(
        QStringLiteral("下次模拟考试通过的机会：%1%").arg(estimate.PassChance * 100, 0, 'f', 1));
    lblPassBasis->setText(
        QStringLiteral("每题答对的概率估为 %1%；依据最近 %2 次模拟考试和共 %3 次答题。")
            .arg(estimate.QuestionRate * 100, 0, 'f', 1)
            .arg(estimate.PapersUsed)
            .arg(estimate.AnswersUsed));
}
