#pragma once

#include "app/Page.h"

class QLabel;
class QPushButton;
class QTableWidget;

// 错题复习: the wrongly answered questions whose review is due today, by the Leitner
// schedule of the learner record, and the button that practises them as a set.
class TReviewPage : public TPage {
    Q_OBJECT
public:
    explicit TReviewPage(QWidget* parent = nullptr);

    void Reload();

signals:
    void ReviewStarted(const QList<int>& subIDs);

private:
    QLabel* lblReviewDue;
    QLabel* lblReviewRule;
    QTableWidget* sgReview;
    QPushButton* btnStartReview;
    QList<int> DueSubIDs;
};

// The caption of the 错题复习 entry: with today's due count when there is one.
QString ReviewEntryCaption(int dueToday);
