#include "data/TQuery.h"
#include "practice/ChapterList.h"
#include "practice/FilterPage.h"
#include "practice/uSelectCarType.h"
#include "settings/Configure.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTest>

// The statements, titles and stored settings of chapter practice, special practice and the
// car type choice, without a window.
class TestChapterFilterRules : public QObject {
    Q_OBJECT
private slots:
    void chapterStatementAndItems() {
        QVERIFY(ChapterListSQL(2, 5).endsWith(
            QStringLiteral("(CarTypeSubID = 2)or (AreaSubID = 5) order by ChapterID")));
        QVERIFY(ChapterListSQL(2, 5).startsWith(QStringLiteral(
            "select * from Chapter where (CarTypeSubID = -1 and AreaSubID = -1) or ")));
        TQuery rows;
        rows.Fields = {"ChapterID", "ChapterMark", "ChapterName", "ChapterDesc"};
        rows.Rows = {{7, "1", "X", "Y"}, {9, QStringLiteral("第二章"), "N", ""}};
        const QList<TDirectoryList> items = ChapterItems(rows);
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0].ItemCaption, QStringLiteral("1.X：Y"));
        QCOMPARE(items[0].ItemHint, QStringLiteral("章节练习：1.X：Y"));
        QCOMPARE(items[0].ItemID, 7);
        QCOMPARE(items[1].ItemCaption, QStringLiteral("第二章.N："));
        QVERIFY(IsChapterHint(items[1].ItemHint));
        QVERIFY(!IsChapterHint(QStringLiteral("交通法规")));
        QVERIFY(!IsChapterHint(QStringLiteral("章节")));
        QCOMPARE(ChapterPracticeExtra(12), QStringLiteral("and Chapter.ChapterID = 12"));
    }

    void titlesAreCutAfter35WholeCharacters() {
        QCOMPARE(ChapterPathTitle(QStringLiteral("章节练习：1.X：Y")), QStringLiteral("X：Y"));
        const QString title35 = QString(35, QChar(0x7AE0));
        QCOMPARE(ChapterPathTitle(QStringLiteral("章节练习：1.") + title35), title35);
        QCOMPARE(ChapterPathTitle(QStringLiteral("章节练习：1.") + title35 + "x"), title35 + "...");
        // A character outside the basic plane is one character, never cut in two.
        const QString wide = QString::fromUcs4(U"\U00020000");
        const QString mixed = QString(34, QChar('a')) + wide + wide;
        QCOMPARE(CutTitle(mixed, 35), QString(34, QChar('a')) + wide + "...");
        QCOMPARE(CutTitle(QString(34, QChar('a')) + wide, 35), QString(34, QChar('a')) + wide);
        QCOMPARE(CutTitle(QString(), 35), QString());
    }

    void everyFilterOptionBuildsItsCondition() {
        const TAnswerEncoder encode = [](const QString& plain) { return "<" + plain + ">"; };
        QCOMPARE(FilterCondition(TFilterGroup::SubFormat, 0, encode),
                 QStringLiteral("and SubFormatID = 1"));
        QCOMPARE(FilterCondition(TFilterGroup::SubHardEasy, 2, encode),
                 QStringLiteral("and SubHardEasyID = 3"));
        QCOMPARE(FilterCondition(TFilterGroup::SubType, 2, encode),
                 QStringLiteral("and SubTypeID = 3"));
        const QStringList plains{"A", "B", "C", "D", QStringLiteral("对"), QStringLiteral("错")};
        QCOMPARE(AnswerFilterOptions().size(), 6);
        QCOMPARE(AnswerFilterOptions()[4], QStringLiteral("选正确的题"));
        for (int p = 0; p < 6; ++p)
            QCOMPARE(FilterCondition(TFilterGroup::SubResult, p, encode),
                     "and SubAnswer = '<" + plains[p] + ">' ");
        QCOMPARE(FilterCondition(TFilterGroup::SubResult, 6, encode), QString());
        QCOMPARE(FilterCondition(TFilterGroup::SubType, -1, encode), QString());
        // A code holding a quote stays one text literal.
        QCOMPARE(FilterCondition(TFilterGroup::SubResult, 0, [](const QString&) { return "a'b"; }),
                 QStringLiteral("and SubAnswer = 'a''b' "));
        QCOMPARE(SqlTextLiteral("''"), QStringLiteral("''''''"));
        QCOMPARE(FilterOrder(QStringLiteral("顺序练习")), 1);
        QCOMPARE(FilterOrder(QStringLiteral("随机练习")), 2);
    }

    void carTypeTextsAndPositions() {
        const TCarTypeText split = SplitCarTypeText(QStringLiteral("N(C1/C2)"));
        QCOMPARE(split.Name, QStringLiteral("N"));
        QCOMPARE(split.Desc, QStringLiteral("C1/C2"));
        QCOMPARE(SplitCarTypeText(QStringLiteral("货车")).Name, QStringLiteral("货车"));
        QCOMPARE(SplitCarTypeText(QStringLiteral("货车")).Desc, QString());
        QCOMPARE(SplitCarTypeText(QStringLiteral("A(B")).Desc, QStringLiteral("B"));
        QCOMPARE(SplitCarTypeText(QStringLiteral("A)x(B)")).Name, QStringLiteral("A)x"));
        QCOMPARE(SplitCarTypeText(QStringLiteral("A)x(B)")).Desc, QStringLiteral("B"));
        QCOMPARE(CarTypePosition(9, 3), 2);
        QCOMPARE(CarTypePosition(0, 3), -1);
        QCOMPARE(CarTypePosition(-5, 3), -1);
        QCOMPARE(CarTypePosition(1, 0), -1);
        QCOMPARE(AreaPosition(2, 6), 1);
        QCOMPARE(AreaPosition(7, 6), -1);
        QCOMPARE(AreaPosition(0, 6), -1);
    }

    void aChoiceIsStoredWholeOrNotAtAll() {
        const QString folder = TestSupport::UseFreshDataFolder(false);
        QVERIFY(!SaveCarTypeChoice({1, QStringLiteral("北京市"), -1, QString()}));
        QVERIFY(!QFile::exists(folder + "/Configure.ini"));
        QVERIFY(SaveCarTypeChoice({1, QStringLiteral("北京市"), 0, QStringLiteral("N(C1/C2)")}));
        TDriverInfo info = LoadDriverInfo();
        QCOMPARE(info.SubAreaID, 2);
        QCOMPARE(info.SubAreaName, QStringLiteral("北京市"));
        QCOMPARE(info.SubCarTypeID, 1);
        QCOMPARE(info.SubCarTypeName, QStringLiteral("N"));
        QCOMPARE(info.SubCarTypeDesc, QStringLiteral("C1/C2"));
        QVERIFY(SaveCarTypeChoice({-1, QStringLiteral("ignored"), 2, QStringLiteral("客车")}));
        info = LoadDriverInfo();
        QCOMPARE(info.SubAreaID, 0);
        QCOMPARE(info.SubAreaName, QString());
        QCOMPARE(info.SubCarTypeID, 3);
        QCOMPARE(info.SubCarTypeDesc, QString());
    }
};

QTEST_MAIN(TestChapterFilterRules)
#include "tst_ChapterFilterRules.moc"
