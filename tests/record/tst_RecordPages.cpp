#include "app/GroupBar.h"
#include "app/uMain.h"
#include "data/MessageBox.h"
#include "data/uDataModule.h"
#include "data/uLoadDll.h"
#include "practice/PathBar.h"
#include "record/LearnerRecord.h"
#include "settings/AppPaths.h"
#include "support/TestSupport.h"

#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <memory>

// The 学习记录 group as a new learner meets it over a few simulated days: the real main
// window over the sample bank, with the record's clock fixed.
class TestRecordPages : public QObject {
    Q_OBJECT

    std::unique_ptr<TdmMain> DataModule;
    std::unique_ptr<TfrmMain> Window;

    void Open(const char* item) { Window->findChild<QToolButton*>(item)->click(); }
    QString CurrentPage() const { return Window->pcMain->currentWidget()->objectName(); }
    template <typename T = QLabel> T* Control(const QString& name) {
        T* control = Window->findChild<T*>(name);
        if (!control)
            qWarning() << "no control" << name;
        return control;
    }
    QString Text(const QString& name) { return Control<QLabel>(name)->text(); }
    static void SetToday(const char* day) { qputenv("VELTRANO_TODAY", day); }
    // Answers the question on screen, rightly or wrongly, with its answer button.
    void Answer(bool right) {
        const TSub& sub = Window->SubList[Window->SubIndex];
        const QString correct = CodeToStr(sub.SubAnswer);
        const bool judge = IsJudgeQuestion(sub);
        const QStringList captions = judge ? QStringList{QStringLiteral("对"), QStringLiteral("错")}
                                           : QStringList{"A", "B", "C", "D"};
        const QStringList buttons =
            judge ? QStringList{"btnB", "btnC"} : QStringList{"btnA", "btnB", "btnC", "btnD"};
        for (qsizetype i = 0; i < captions.size(); ++i)
            if ((captions[i] == correct) == right) {
                Control<QPushButton>(buttons[i])->click();
                return;
            }
        QFAIL("no button gives that answer");
    }
    QDateTimeAxis* ScoreDateAxis() {
        const QList<QAbstractAxis*> axes =
            Control<QChartView>("chScores")->chart()->axes(Qt::Horizontal);
        return axes.isEmpty() ? nullptr : qobject_cast<QDateTimeAxis*>(axes.first());
    }
    QString ReviewEntry() const { return Window->grpStudyRecord->Items().at(2)->text(); }

private slots:
    void initTestCase() {
        SetToday("2026-03-01");
        TestSupport::UseFreshDataFolder(true);
        LearnerRecord().Close(); // opened again in this test's data folder
        LoadLibraries();
        QVERIFY(EncryptionLoaded());
        DataModule = std::make_unique<TdmMain>();
        dmMain = DataModule.get();
        DataModule->DataModuleCreate(AppPaths::BankFile());
        QVERIFY(DataModule->Connected());
        Window = std::make_unique<TfrmMain>();
        Window->show();
        QVERIFY(QTest::qWaitForWindowExposed(Window.get()));
    }
    void cleanupTestCase() {
        Window.reset();
        dmMain = nullptr;
        DataModule.reset();
        LearnerRecord().Close();
        qunsetenv("VELTRANO_TODAY");
    }

    void aNewLearnerSeesNoHistoryYet() {
        QVERIFY(Control("lblRecordStrip")->isHidden());
        QCOMPARE(ReviewEntry(), QStringLiteral("错题复习"));
        Open("grpStudyRecordItems4");
        QCOMPARE(CurrentPage(), QStringLiteral("tsPassEstimate"));
        QCOMPARE(Text("lblPassChance"), QStringLiteral("暂无预测"));
        QVERIFY(Text("lblPassRule").contains(QStringLiteral("二项分布")));
        Open("grpStudyRecordItems0");
        QCOMPARE(CurrentPage(), QStringLiteral("tsScoreChart"));
        QVERIFY(Text("lblScoreSummary").startsWith(QStringLiteral("还没有模拟考试记录")));
        // No paper, no dates: the axis must not label its default span as 01-01.
        QVERIFY(ScoreDateAxis());
        QVERIFY(!ScoreDateAxis()->labelsVisible());
        QVERIFY(!ScoreDateAxis()->isTitleVisible());
        Open("grpStudyRecordItems1");
        QCOMPARE(Control<QTableWidget>("sgWeakChapters")->rowCount(), 0);
    }

    void wrongAnswersComeBackForReviewTheNextDay() {
        Open("grpSubExerciseItems2");
        QCOMPARE(CurrentPage(), QStringLiteral("tsSubList"));
        const int missed = Window->SubList[1].SubID;
        Answer(false);
        Answer(true);
        QCOMPARE(LearnerRecord().AnswerCount(), 2);
        QCOMPARE(ReviewEntry(), QStringLiteral("错题复习"));
        QVERIFY(!Control("lblRecordStrip")->isHidden());
        QCOMPARE(Text("lblRecordStrip"), QStringLiteral("今日待复习：0 题"));

        SetToday("2026-03-02");
        Window->RefreshRecordViews();
        QCOMPARE(ReviewEntry(), QStringLiteral("错题复习(1)"));
        Open("grpStudyRecordItems2");
        QVERIFY(Text("lblReviewDue").startsWith(QStringLiteral("今日待复习：1 题")));
        Control<QPushButton>("btnStartReview")->click();
        QCOMPARE(CurrentPage(), QStringLiteral("tsSubList"));
        QCOMPARE(QuestionCount(Window->SubList), 1);
        QCOMPARE(Window->SubList[1].SubID, missed);
        QCOMPARE(Window->pbMainPath()->Items().value(1), QStringLiteral("错题复习（共计1题）"));
        // Right on the due day: on to the next box, out of today's queue.
        Answer(true);
        QCOMPARE(ReviewEntry(), QStringLiteral("错题复习"));
        QCOMPARE(LearnerRecord().ReviewCount(), 1);
        QCOMPARE(LearnerRecord().DueCount(QDate(2026, 3, 5)), 1);
    }

    void starredQuestionsArePractisedAsASet() {
        Open("grpSubExerciseItems2");
        Control<QPushButton>("btnNext")->click();
        const int starred = Window->SubList[2].SubID;
        auto* star = Control<QPushButton>("btnFavourite");
        QCOMPARE(star->text(), QStringLiteral("☆"));
        star->click();
        QCOMPARE(star->text(), QStringLiteral("★"));
        Control<QPushButton>("btnLast")->click();
        QCOMPARE(star->text(), QStringLiteral("☆")); // follows the question on screen

        Open("grpStudyRecordItems3");
        QCOMPARE(Text("lblFavouriteCount"), QStringLiteral("已收藏 1 题"));
        Control<QPushButton>("btnPractiseFavourites")->click();
        QCOMPARE(CurrentPage(), QStringLiteral("tsSubList"));
        QCOMPARE(QuestionCount(Window->SubList), 1);
        QCOMPARE(Window->SubList[1].SubID, starred);
        QCOMPARE(star->text(), QStringLiteral("★"));
        star->click();
        QVERIFY(LearnerRecord().Favourites().isEmpty());
        Open("grpStudyRecordItems3");
        QVERIFY(!Control<QPushButton>("btnPractiseFavourites")->isEnabled());
    }

    void theScoreChartIsDatedByThePapers() {
        TPaperRecord paper;
        paper.TakenAt = QDateTime(QDate(2026, 3, 2), QTime(10, 0));
        paper.Score = 92;
        paper.Questions = 100;
        paper.UseTime = 1200;
        QVERIFY(LearnerRecord().NotePaper(paper, {}, {}));
        Open("grpStudyRecordItems0");
        QDateTimeAxis* axis = ScoreDateAxis();
        QVERIFY(axis);
        QVERIFY(axis->labelsVisible() && axis->isTitleVisible());
        QVERIFY(axis->min() < paper.TakenAt && paper.TakenAt < axis->max());
        QCOMPARE(axis->min().date(), paper.TakenAt.date());
        QVERIFY(Text("lblScoreSummary").contains(QStringLiteral("最近一次 92 分")));
    }

    void oneClickPractisesTheWeakestChapter() {
        Open("grpStudyRecordItems1");
        auto* table = Control<QTableWidget>("sgWeakChapters");
        QVERIFY(table->rowCount() >= 1);
        const int chapter = table->item(0, 0)->data(Qt::UserRole).toInt();
        // Weakest first: the rates never fall down the table; counts stand beside them.
        for (int row = 1; row < table->rowCount(); ++row)
            QVERIFY(table->item(row - 1, 3)->text().chopped(1).toDouble() <=
                    table->item(row, 3)->text().chopped(1).toDouble());
        QVERIFY(table->item(0, 1)->text().toInt() >= table->item(0, 2)->text().toInt());
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          table->visualItemRect(table->item(0, 1)).center());
        QCOMPARE(CurrentPage(), QStringLiteral("tsSubList"));
        QVERIFY(QuestionCount(Window->SubList) >= 1);
        for (int i = 1; i <= QuestionCount(Window->SubList); ++i)
            QCOMPARE(Window->SubList[i].ChapterID, chapter);
        QCOMPARE(Window->pbMainPath()->Items().value(1), QStringLiteral("薄弱章节"));
    }
};

QTEST_MAIN(TestRecordPages)
#include "tst_RecordPages.moc"
