#include "record/ChapterAccuracy.h"
#include "record/PassEstimate.h"
#include "record/RecordClock.h"
#include "record/ReviewSchedule.h"

#include <QTest>

// The learner record's plain rules: the review schedule over simulated days, the accuracy
// table and the pass estimate.
class TestRecordRules : public QObject {
    Q_OBJECT

    static QDate Day(int n) { return QDate(2026, 3, 1).addDays(n); }

private slots:
    void aWrongAnswerStartsInBoxOneDueTheNextDay() {
        const auto card = NextReviewCard(std::nullopt, false, Day(0));
        QVERIFY(card);
        QCOMPARE(card->Box, 1);
        QCOMPARE(card->Due, Day(1));
        // A right answer of a question never missed keeps it out of the set.
        QVERIFY(!NextReviewCard(std::nullopt, true, Day(0)));
    }

    void aQuestionLeavesAfterRightAnswersOnThreeSpacedDays() {
        std::optional<TReviewCard> card = NextReviewCard(std::nullopt, false, Day(0));
        // Right the same day: too early, nothing moves.
        card = NextReviewCard(card, true, Day(0));
        QCOMPARE(card->Box, 1);
        QCOMPARE(card->Due, Day(1));
        card = NextReviewCard(card, true, Day(1));
        QCOMPARE(card->Box, 2);
        QCOMPARE(card->Due, Day(4));
        card = NextReviewCard(card, true, Day(3));
        QCOMPARE(card->Box, 2); // a day early
        // Late reviews count from the day they are done.
        card = NextReviewCard(card, true, Day(6));
        QCOMPARE(card->Box, 3);
        QCOMPARE(card->Due, Day(13));
        QVERIFY(!NextReviewCard(card, true, Day(13)));
    }

    void aWrongAnswerInAnyBoxStartsOver() {
        const TReviewCard late{3, Day(10)};
        const auto card = NextReviewCard(late, false, Day(4));
        QCOMPARE(card->Box, 1);
        QCOMPARE(card->Due, Day(5));
    }

    void theClockCanBeFixedForSimulatedDays() {
        qputenv("VELTRANO_TODAY", "2026-03-05");
        QCOMPARE(RecordClock::Today(), QDate(2026, 3, 5));
        QCOMPARE(RecordClock::Now().date(), QDate(2026, 3, 5));
        qputenv("VELTRANO_TODAY", "not a day");
        QCOMPARE(RecordClock::Today(), QDate::currentDate());
        qunsetenv("VELTRANO_TODAY");
    }

    void chaptersAreListedWeakestFirst() {
        const QList<TChapterTally> sorted = WeakestFirst({{1, 10, 9},  // 90 %
                                                          {2, 3, 1},   // 33 %
                                                          {3, 0, 0},   // no answers: left out
                                                          {4, 30, 10}, // 33 %, more answers
                                                          {5, 4, 4}});
        QCOMPARE(sorted.size(), 4);
        QCOMPARE(sorted[0].ChapterID, 4);
        QCOMPARE(sorted[1].ChapterID, 2);
        QCOMPARE(sorted[2].ChapterID, 1);
        QCOMPARE(sorted[3].ChapterID, 5);
        QCOMPARE(AccuracyText(sorted[1]), QStringLiteral("33.33%"));
        QCOMPARE(AccuracyText({7, 0, 0}), QStringLiteral("0.00%"));
    }

    void passChanceFollowsTheBinomialTail() {
        QCOMPARE(ChanceOfAtLeast(90, 100, 1.0), 1.0);
        QCOMPARE(ChanceOfAtLeast(90, 100, 0.0), 0.0);
        QCOMPARE(ChanceOfAtLeast(101, 100, 0.99), 0.0);
        // At 90 % per question the chance of 90 or more is about 58 %.
        QVERIFY(qAbs(ChanceOfAtLeast(90, 100, 0.9) - 0.5832) < 0.001);
        QVERIFY(ChanceOfAtLeast(90, 100, 0.8) < 0.01);
        QVERIFY(ChanceOfAtLeast(90, 100, 0.97) > 0.99);
    }

    void theEstimateNeedsEnoughHistory() {
        QVERIFY(!EstimatePass({}, {}, {}).Known);
        QVERIFY(!EstimatePass({}, {{1, 29, 29}}, {}).Known);
        QVERIFY(EstimatePass({}, {{1, 30, 27}}, {}).Known);
        QVERIFY(EstimatePass({{95, 100}}, {}, {}).Known);
    }

    void theEstimateBlendsRecentPapersWithChapterAccuracy() {
        // Only the five newest papers count; a broken paper of no questions is skipped.
        const QList<TPaperScore> papers = {{90, 100}, {0, 0},    {90, 100}, {90, 100},
                                           {90, 100}, {90, 100}, {10, 100}};
        const TPassEstimate onlyPapers = EstimatePass(papers, {}, {});
        QCOMPARE(onlyPapers.PapersUsed, 5);
        QCOMPARE(onlyPapers.QuestionRate, 0.9);
        // Chapter 2 holds most of the bank and was never practised: it counts as a coin toss
        // and pulls the estimate well below the papers'.
        const QList<TChapterTally> tallies = {{1, 98, 98}};
        const TPassEstimate blended = EstimatePass(papers, tallies, {{1, 10}, {2, 90}});
        QVERIFY(blended.QuestionRate < onlyPapers.QuestionRate);
        const TPassEstimate practised = EstimatePass(papers, tallies, {{1, 90}, {2, 10}});
        QVERIFY(practised.QuestionRate > onlyPapers.QuestionRate);
        QVERIFY(practised.PassChance > blended.PassChance);
    }

    void theMeanTakesTheLastPapers() {
        QCOMPARE(MeanOfLast({}, 10), 0.0);
        QCOMPARE(MeanOfLast({80, 90}, 10), 85.0);
        QList<int> scores(5, 0);
        scores.append(QList<int>(10, 95));
        QCOMPARE(MeanOfLast(scores, 10), 95.0);
    }
};

QTEST_GUILESS_MAIN(TestRecordRules)
#include "tst_RecordRules.moc"
