#include "data/TQuery.h"
#include "exam/GradeRules.h"
#include "exam/MockExamRules.h"
#include "exam/PaperRules.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTest>

namespace {

QString Plain(const QString& text) {
    return text;
}

TQuery CountRows(const QList<QVariantList>& rows) {
    TQuery query;
    query.Fields = {"ChapterID", "CardTypeIDCount"};
    query.Rows = rows;
    query.Active = true;
    return query;
}

TSubList Paper(const QList<std::pair<int, QString>>& subsAndAnswers) {
    TSubList paper(1);
    for (const auto& [subID, answer] : subsAndAnswers) {
        TSub sub;
        sub.SubID = subID;
        sub.SubAnswer = QStringLiteral("A");
        sub.MyAnswer = answer;
        paper.append(sub);
    }
    return paper;
}

} // namespace

class TestExamRules : public QObject {
    Q_OBJECT
private slots:
    void countStatementPerCarTypeAndArea() {
        QCOMPARE(PaperCountSQL(1, 3),
                 QStringLiteral("select ChapterID,CardTypeIDCount1 as CardTypeIDCount from "
                                "Chapter where (CarTypeSubID = -1 and AreaSubID = -1) or "
                                "(CarTypeSubID = 1)or (AreaSubID = 3) order by ChapterID"));
        for (int car : {2, 3})
            QVERIFY(PaperCountSQL(car, 7).contains(
                QStringLiteral("CardTypeIDCount%1 as CardTypeIDCount").arg(car)));
        QVERIFY(PaperCountSQL(3, 7).contains("(CarTypeSubID = 3)or (AreaSubID = 7) order"));
    }

    void areaOneGivesChapterOneFiveMore() {
        const TQuery rows = CountRows({{1, 25}, {2, 20}, {3, QVariant()}});
        const QList<TChapterCount> area1 = ChapterCounts(rows, 1);
        QCOMPARE(area1.size(), 3);
        QCOMPARE(area1[0].Count, 30);
        QCOMPARE(area1[1].Count, 20);
        QCOMPARE(area1[2].Count, 0); // an empty count reads as 0
        QCOMPARE(ChapterCounts(rows, 2)[0].Count, 25);
        QVERIFY(ChapterCounts(TQuery(), 1).isEmpty());
    }

    void countsSplitThreeFifthsAndTwoFifths() {
        const int table[][3] = {{5, 3, 2},    {10, 6, 4}, {15, 9, 6}, {20, 12, 8}, {25, 15, 10},
                                {30, 18, 12}, {12, 7, 4}, {2, 1, 0},  {1, 0, 0},   {0, 0, 0}};
        for (const auto& row : table) {
            QCOMPARE(FormOneDraw(row[0]), row[1]);
            QCOMPARE(FormTwoDraw(row[0]), row[2]);
        }
        // A damaged negative count would read as "no limit" on the engine.
        QCOMPARE(FormOneDraw(-10), 0);
        QCOMPARE(FormTwoDraw(-10), 0);
    }

    void paperStatementJoinsChaptersAndForms() {
        QCOMPARE(PaperSQL({{4, 10}}),
                 QStringLiteral("select * from (select s.* from Sub s inner join (select "
                                "min(ID) as SelID,SubID from Sub where ChapterID=4 and "
                                "SubFormatID=1 group by SubID) p on s.ID=p.SelID\nunion all\n"
                                "select s.* from Sub s inner join (select min(ID) as SelID,SubID "
                                "from Sub where ChapterID=4 and SubFormatID=2 group by SubID) p "
                                "on s.ID=p.SelID\n) ls order by SubFormatID desc,rnd(SubID)"));
        QCOMPARE(PaperSQL({{1, 5}, {2, 5}}).count(QStringLiteral("union all\n")), 3);
    }

    // Candidates as the paper statement returns them: SubID, ChapterID, SubFormatID.
    void pickingKeepsDrawsRepeatsAndRelatedGroupsApart() {
        TQuery candidates;
        candidates.Fields = {"SubID", "ChapterID", "SubFormatID"};
        candidates.Rows = {{1, 1, 2}, {2, 1, 2}, {3, 1, 2}, {7, 2, 1}, {4, 1, 1},
                           {7, 1, 1}, {5, 1, 1}, {8, 1, 1}, {6, 1, 1}, {9, 2, 1}};
        TQuery groupRows;
        groupRows.Fields = {"SubID", "RelatedGroup"};
        groupRows.Rows = {{5, "yellow"}, {8, "yellow"}, {9, "gesture"}};
        const TRelatedGroups groups = RelatedGroups(groupRows);
        // Chapter 1 draws 3 + 2, chapter 2 draws 1 + 0 of count 2 (3/5 of 2 is 1).
        PickPaper(candidates, {{1, 5}, {2, 2}}, groups);
        QList<int> picked;
        for (const QVariantList& row : candidates.Rows)
            picked.append(row[0].toInt());
        // 7 is taken by chapter 2 first and not again by chapter 1; 8 shares a group with 5.
        QCOMPARE(picked, (QList<int>{1, 2, 7, 4, 5, 6}));
        QCOMPARE(candidates.CurrentRow(), 0);

        TQuery noColumns;
        noColumns.Rows = {{1}};
        PickPaper(noColumns, {{1, 5}}, groups);
        QVERIFY(noColumns.Rows.isEmpty());
        QVERIFY(RelatedGroups(TQuery()).isEmpty());
    }

    void paperFitsTheSheet() {
        TSubList large(1);
        for (int i = 1; i <= 130; ++i) {
            TSub sub;
            sub.SubID = i;
            large.append(sub);
        }
        CutPaper(large);
        QCOMPARE(QuestionCount(large), 100);
        QCOMPARE(large.last().SubID, 100);
        TSubList empty;
        CutPaper(empty);
        QCOMPARE(QuestionCount(empty), 0);
    }

    void countdownAndUseTime() {
        QCOMPARE(CountdownText(2700), QStringLiteral("45:00"));
        QCOMPARE(CountdownText(2699), QStringLiteral("44:59"));
        QCOMPARE(CountdownText(1), QStringLiteral("00:01"));
        QCOMPARE(CountdownText(-3), QStringLiteral("00:00"));
        QCOMPARE(CountdownSeconds("00:02"), 2);
        QCOMPARE(CountdownSeconds("45:00"), 2700);
        QCOMPARE(CountdownSeconds("bad"), -1);
        QCOMPARE(CountdownSeconds("-1:30"), -1);
        QCOMPARE(UseTime("30:00"), 900);
        QCOMPARE(UseTime("00:00"), 2700);
        QCOMPARE(UseTime("45:00"), 0);
        // A clock that reads more than the exam allows never gives a negative use time.
        QCOMPARE(UseTime("50:00"), 0);
        QCOMPARE(UseTime(""), 2700);
    }

    void scoreAndResult() {
        TSubList paper(1);
        for (int i = 1; i <= 100; ++i) {
            TSub sub;
            sub.SubAnswer = "A";
            sub.MyAnswer = i <= 90 ? "A" : (i <= 95 ? "B" : "");
            paper.append(sub);
        }
        QCOMPARE(RightCount(paper, Plain), 90);
        QCOMPARE(ResultText(90), QStringLiteral("您本次考试得90分，及格！"));
        QCOMPARE(ResultText(89),
                 QStringLiteral("很遗憾，您本次考试得89分，不及格！祝你下次考试成功！"));
    }

    void captionsOfAnswersAndCells() {
        QCOMPARE(AnswerOfCaption("√"), QStringLiteral("对"));
        QCOMPARE(AnswerOfCaption("×"), QStringLiteral("错"));
        QCOMPARE(AnswerOfCaption("C"), QStringLiteral("C"));
        QCOMPARE(CaptionOfAnswer("错"), QStringLiteral("×"));
        QCOMPARE(CaptionOfAnswer(""), QString());
        QCOMPARE(SheetCellCaption(12, "B"), QStringLiteral("12\n   B"));
        QCOMPARE(SheetCellCaption(3, ""), QStringLiteral("3"));
        QCOMPARE(ExamLicenceText(1), QStringLiteral("C1"));
        QCOMPARE(ExamLicenceText(2), QStringLiteral("A2"));
        QCOMPARE(ExamLicenceText(5), QStringLiteral("A1"));
    }

    void sheetColoursWhileAnsweringAndInReview() {
        const TSubList paper = Paper({{1, "A"}, {2, "B"}, {3, ""}});
        const QColor white(255, 255, 255), blue(166, 202, 240), green(192, 220, 192),
            red(255, 0, 0);
        const auto answering = [&](int n, bool current) {
            return SheetCellColor(TSheetMode::Answering, paper, n, current, Plain);
        };
        const auto review = [&](int n, bool current) {
            return SheetCellColor(TSheetMode::Review, paper, n, current, Plain);
        };
        QCOMPARE(answering(1, false), green);
        QCOMPARE(answering(2, false), green);
        QCOMPARE(answering(3, false), white);
        QCOMPARE(answering(3, true), blue);
        QCOMPARE(answering(4, true), white); // no question behind the cell
        QCOMPARE(review(1, false), white);
        QCOMPARE(review(2, false), red);
        QCOMPARE(review(3, false), red); // unanswered counts as wrong
        QCOMPARE(review(2, true), blue);
        QCOMPARE(review(57, false), white);
    }

    void gradeCommandQuotesItsTexts() {
        QCOMPARE(InsertGradeCommand({{}, "110'1", "O'Neil", 900, 95}),
                 QStringLiteral("exec procInsertGrade '110''1','O''Neil',900,95"));
        QCOMPARE(InsertGradeCommand({"k1", "1", "n", 1, 90}),
                 QStringLiteral("exec procInsertGrade '1','n',1,90,'k1'"));
    }

    void gradePagesOfSeventeenRows() {
        QCOMPARE(GradePageCount(0), 0);
        QCOMPARE(GradePageCount(17), 1);
        QCOMPARE(GradePageCount(18), 2);
        QCOMPARE(GradePageCount(35), 3);
        QCOMPARE(GradePageFirstRow(2), 18);
        QCOMPARE(GradePageLastRow(2, 35), 34);
        QCOMPARE(GradePageLastRow(3, 35), 35);
        QVERIFY(GradePageFirstRow(1) > GradePageLastRow(1, 0)); // empty list, no row
        QCOMPARE(GradePageItems(2), QStringList({"1/2", "2/2"}));
        QVERIFY(GradePageItems(0).isEmpty());
        QCOMPARE(GradePageOfItem("3/5"), 3);
        QCOMPARE(GradePageOfItem(""), 0);
    }

    void gradePageButtons() {
        const auto check = [](int page, int pages, bool firstAndLast, bool nextAndEnd) {
            const TPageButtons b = GradePageButtons(page, pages);
            return b.FirstAndLast == firstAndLast && b.NextAndEnd == nextAndEnd;
        };
        QVERIFY(check(1, 0, false, false));
        QVERIFY(check(1, 1, false, false));
        QVERIFY(check(1, 2, false, true));
        QVERIFY(check(2, 2, true, false));
        QVERIFY(check(2, 3, true, true));
        QVERIFY(check(3, 5, true, true));
    }

    void gradeCellTexts() {
        QCOMPARE(UseTimeText(1805), QStringLiteral("30分5秒"));
        QCOMPARE(UseTimeText(59), QStringLiteral("0分59秒"));
        QCOMPARE(RecordCountText(0), QStringLiteral("共0条记录，每页17条记录"));
        const QString shown = ReferDateText("2026-12-09T10:05:07Z");
        QCOMPARE(shown, QDateTime(QDate(2026, 12, 9), QTime(10, 5, 7), Qt::UTC)
                            .toLocalTime()
                            .toString("yyyy-MM-dd HH:mm:ss"));
        QCOMPARE(ReferDateText("yesterday"), QStringLiteral("yesterday"));
    }
};

QTEST_GUILESS_MAIN(TestExamRules)
#include "tst_ExamRules.moc"
