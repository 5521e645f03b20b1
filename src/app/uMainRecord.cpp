// The main window's 学习记录 group: its pages, their practice sets and the record's marks
// on the navigation bar and the home page.
#include "app/uMain.h"

#include "app/GroupBar.h"
#include "app/Look.h"
#include "online/MainPage.h"
#include "practice/ChapterList.h"
#include "practice/PracticeRules.h"
#include "record/FavouritePage.h"
#include "record/LearnerRecord.h"
#include "record/PassEstimatePage.h"
#include "record/RecordBank.h"
#include "record/RecordClock.h"
#include "record/ReviewPage.h"
#include "record/ScoreChartPage.h"
#include "record/WeakChapterPage.h"

#include <QLabel>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

TScoreChartPage* TfrmMain::tsScoreChart() {
    return PageOnFirstUse(Built.tsScoreChart, [] { return new TScoreChartPage; });
}

TWeakChapterPage* TfrmMain::tsWeakChapters() {
    return PageOnFirstUse(Built.tsWeakChapters, [this] {
        auto* page = new TWeakChapterPage;
        connect(page, &TWeakChapterPage::ChapterChosen, this, &TfrmMain::PractiseWeakChapter);
        return page;
    });
}

TReviewPage* TfrmMain::tsReview() {
    return PageOnFirstUse(Built.tsReview, [this] {
        auto* page = new TReviewPage;
        connect(page, &TReviewPage::ReviewStarted, this, [this](const QList<int>& subIDs) {
            StartRecordPractice(QStringLiteral("错题复习"), subIDs,
                                &TfrmMain::grpStudyRecordItems2Click);
        });
        return page;
    });
}

TFavouritePage* TfrmMain::tsFavourite() {
    return PageOnFirstUse(Built.tsFavourite, [this] {
        auto* page = new TFavouritePage;
        connect(page, &TFavouritePage::FavouritesStarted, this, [this](const QList<int>& subIDs) {
            StartRecordPractice(QStringLiteral("我的收藏"), subIDs,
                                &TfrmMain::grpStudyRecordItems3Click);
        });
        return page;
    });
}

TPassEstimatePage* TfrmMain::tsPassEstimate() {
    return PageOnFirstUse(Built.tsPassEstimate,
                          [this] { return new TPassEstimatePage(DriverInfo); });
}

void TfrmMain::BuildRecordStrip() {
    lblRecordStrip = new QLabel(tsMainPage);
    lblRecordStrip->setObjectName(QStringLiteral("lblRecordStrip"));
    lblRecordStrip->setFont(Look::SongFont(14, true));
    lblRecordStrip->setAlignment(Qt::AlignCenter);
    lblRecordStrip->setAutoFillBackground(true);
    Look::Paint(lblRecordStrip, Look::FrameColour);
    lblRecordStrip->setFixedHeight(30);
    lblRecordStrip->hide();
    // The layout holds the strip alone: the home picture and browser keep their own geometry.
    auto* homeLayout = new QVBoxLayout(tsMainPage);
    homeLayout->setContentsMargins(0, 0, 0, 0);
    homeLayout->addStretch(1);
    homeLayout->addWidget(lblRecordStrip);
    connect(&RecordNotifier(), &TRecordNotifier::Changed, this, &TfrmMain::RefreshRecordViews);
}

void TfrmMain::RefreshRecordViews() {
    TLearnerRecord& record = LearnerRecord();
    const int due = record.DueCount(RecordClock::Today());
    grpStudyRecord->Items().at(2)->setText(ReviewEntryCaption(due));
    const std::optional<int> lastScore = record.LastScore();
    const bool history = lastScore || due > 0 || record.ReviewCount() > 0;
    lblRecordStrip->setVisible(history);
    if (!history)
        return;
    QString text = QStringLiteral("今日待复习：%1 题").arg(due);
    if (lastScore)
        text += QStringLiteral("　　最近一次模拟考试：%1 分").arg(*lastScore);
    lblRecordStrip->setText(text);
    lblRecordStrip->raise();
}

void TfrmMain::StartRecordPractice(const QString& mode, const QList<int>& subIDs,
                                   void (TfrmMain::*back)()) {
    FreeShowImageItems();
    if (!LoadPractice(SubSetExtra(subIDs), PracticeMode::ChapterOrder))
        return;
    OpenPracticeSet(ModePathText(mode, QuestionCount(SubList)), QString(), back);
}

void TfrmMain::PractiseWeakChapter(int chapterID, const QString& title) {
    FreeShowImageItems();
    if (!LoadPractice(ChapterPracticeExtra(chapterID), PracticeMode::ChapterOrder))
        return;
    OpenPracticeSet(QStringLiteral("薄弱章节"),
                    ModePathText(CutTitle(title, 35), QuestionCount(SubList)),
                    &TfrmMain::grpStudyRecordItems1Click);
}

void TfrmMain::grpStudyRecordItems0Click() {
    FreeShowImageItems();
    tsScoreChart()->Reload();
    ShowPage(tsScoreChart());
}

void TfrmMain::grpStudyRecordItems1Click() {
    FreeShowImageItems();
    tsWeakChapters()->Reload();
    ShowPage(tsWeakChapters());
}

void TfrmMain::grpStudyRecordItems2Click() {
    FreeShowImageItems();
    tsReview()->Reload();
    ShowPage(tsReview());
}

void TfrmMain::grpStudyRecordItems3Click() {
    FreeShowImageItems();
    tsFavourite()->Reload();
    ShowPage(tsFavourite());
}

void TfrmMain::grpStudyRecordItems4Click() {
    FreeShowImageItems();
    tsPassEstimate()->Reload();
    ShowPage(tsPassEstimate());
}
