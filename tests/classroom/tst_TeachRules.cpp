// The driving classroom's rules without a window: statements, layout, slot controls,
// paging and the composition's caret.
#include "app/ItemList.h"
#include "classroom/TeachCatalogue.h"
#include "classroom/TeachRules.h"
#include "data/TQuery.h"

#include <QTest>

class TestTeachRules : public QObject {
    Q_OBJECT
private slots:
    void statementsQuoteTheCategoryAndChooseTheSequence() {
        QCOMPARE(TeachListSQL(QStringLiteral("交通标志")),
                 QStringLiteral("select DriveTeachID, DriveTeachSecondName from DriveTeach where "
                                "DriveTeachFirstName= '交通标志' order by DriveTeachID"));
        QVERIFY(TeachListSQL("a'b; drop table Sub").contains("'a''b; drop table Sub'"));
        QVERIFY(TeachItemsSQL(35).endsWith("where b.DriveTeachID between 32 and 41 order by "
                                           "a.DriveTeachID"));
        QVERIFY(TeachItemsSQL(13).endsWith("where b.DriveTeachID= 13 order by a.TeachName"));
        // A negative key arrives as its unsigned value and finds nothing, harmlessly.
        QVERIFY(TeachItemsSQL(quint32(-1)).contains("= 4294967295 order by"));
        QCOMPARE(FirstTeachPage(35), 4);
        QCOMPARE(FirstTeachPage(32), 1);
        QCOMPARE(FirstTeachPage(42), 1);
    }

    void catalogueRowsAreNumberedByPositionForTextCategories() {
        TQuery rows;
        rows.Fields = {"DriveTeachID", "DriveTeachSecondName"};
        rows.Rows = {{42, "A"}, {43, "B"}, {44, "C"}};
        const QList<TDirectoryList> judged = TeachListItems(QStringLiteral("评判标准"), rows);
        QCOMPARE(judged.size(), 3);
        QCOMPARE(judged.at(0).ItemCaption, QStringLiteral("1、A"));
        QCOMPARE(judged.at(2).ItemCaption, QStringLiteral("3、C"));
        QCOMPARE(judged.at(2).ItemID, 44);
        QCOMPARE(judged.at(1).ItemHint, QStringLiteral("评判标准"));
        QCOMPARE(TeachListItems(QStringLiteral("动画讲解"), rows).at(1).ItemCaption, "B");
        QVERIFY(IsRowCategory(QStringLiteral("交通法规")));
        QVERIFY(!IsRowCategory(QStringLiteral("交通标志")));
        QCOMPARE(TeachThumbnailName(32), "J32");
        QCOMPARE(TeachCategory(2), QStringLiteral("交警手势"));
        QVERIFY(TeachCategory(7).isEmpty());
        QVERIFY(TeachCategory(-1).isEmpty());
    }

    void layoutFollowsTheIdentifier() {
        const TeachLayout grid = TeachLayoutOf(5);
        QCOMPARE(grid.Slots, 12);
        QCOMPARE(grid.Form, TeachForm::Grid);
        QCOMPARE(TeachSlotRect(grid, 3), QRect(625, 25, 175, 120));
        QCOMPARE(TeachSlotRect(grid, 11), QRect(625, 345, 175, 120));
        QCOMPARE(TeachCaptionRect(grid, 4).top(), 315);
        QCOMPARE(TeachCaptionRect(grid, 8), QRect(25, 475, 175, 15));
        for (quint32 id : {15u, 17u, 30u, 42u, 45u})
            QCOMPARE(TeachLayoutOf(id).Form, TeachForm::FullPage);
        for (quint32 id : {0u, 8u, 14u, 16u, 31u, 46u, 4294967295u}) {
            QCOMPARE(TeachLayoutOf(id).Form, TeachForm::Single);
            QCOMPARE(TeachCaptionRect(TeachLayoutOf(id), 0).top(), 475);
        }
        QCOMPARE(TeachCaptionRect(TeachLayoutOf(32), 0), QRect(25, 515, 780, 30));
        QCOMPARE(TeachLayoutOf(41).SlotSize, QSize(780, 480));
    }

    void slotControlAndShowingFollowTypeAndCategory() {
        QCOMPARE(TeachSlotControl("png", 5), SlotControl::Picture);
        QCOMPARE(TeachSlotControl("jpg", 42), SlotControl::RichText);
        QCOMPARE(TeachSlotControl("png", 15), SlotControl::RichText);
        QCOMPARE(TeachSlotControl("gif", 15), SlotControl::Animation);
        QCOMPARE(TeachSlotControl("swf", 32), SlotControl::Flash);
        QCOMPARE(TeachSlotControl("txt", 20), SlotControl::RichText);
        QCOMPARE(TeachSlotControl("doc", 20), SlotControl::None);
        QCOMPARE(TeachSlotControl("doc", 42), SlotControl::RichText);
        QCOMPARE(TeachSlotControl(QString(), 5), SlotControl::None);

        QCOMPARE(TeachSlotShow("png", QStringLiteral("交通标志")), SlotShow::Picture);
        QCOMPARE(TeachSlotShow("png", QStringLiteral("仪表图解")), SlotShow::Composition);
        QCOMPARE(TeachSlotShow("jpg", QStringLiteral("评判标准")), SlotShow::InsertedPicture);
        QCOMPARE(TeachSlotShow("png", QStringLiteral("评判标准")), SlotShow::Text);
        QCOMPARE(TeachSlotShow("rtf", QStringLiteral("交通法规")), SlotShow::Text);
        QCOMPARE(TeachSlotShow("gif", QStringLiteral("交警手势")), SlotShow::Animation);
        QCOMPARE(TeachSlotShow("swf", QStringLiteral("动画讲解")), SlotShow::Flash);
        QCOMPARE(TeachSlotShow("doc", QStringLiteral("交通法规")), SlotShow::Nothing);
    }

    void pagingReadsAndWritesThePageLabel() {
        QCOMPARE(TeachPageCount(14, 12), 2);
        QCOMPARE(TeachPageCount(12, 12), 1);
        QCOMPARE(TeachPageCount(0, 12), 0);
        QCOMPARE(TeachPageCount(5, 0), 0);
        const PageButtons first = TeachPageButtons(1, 1);
        QVERIFY(!first.LastEnabled && first.NextEnabled);
        const PageButtons last = TeachPageButtons(2, 2);
        QVERIFY(last.LastEnabled && !last.NextEnabled);
        const PageButtons middle = TeachPageButtons(3, 5);
        QVERIFY(middle.LastEnabled && middle.NextEnabled);
        QCOMPARE(TeachPageText(2, 5), "2/5");
        QCOMPARE(TeachPageTarget(QStringLiteral("下一页"), "2/5"), 3);
        QCOMPARE(TeachPageTarget(QStringLiteral("上一页"), "2/5"), 1);
        QCOMPARE(TeachPageTarget(QStringLiteral("上一页"), "1/5"), 0);
        QCOMPARE(TeachPageTarget(QStringLiteral("下一页"), "1/1"), 0);
        QCOMPARE(TeachPageTarget(QStringLiteral("下一页"), "x/y"), 0);
        QCOMPARE(TeachPageTarget(QStringLiteral("下一页"), ""), 0);
    }

    void compositionCaretStartsTheNewLine() {
        QCOMPARE(CompositionCaret(0, 0), 0);
        // One picture and a four-character line with its break: the next line starts at 6.
        QCOMPARE(CompositionCaret(1 + 4 + 2, 1), 6);
        QCOMPARE(CompositionCaret(7 + 1 + 3 + 2, 2), 11);
    }
};

QTEST_APPLESS_MAIN(TestTeachRules)
#include "tst_TeachRules.moc"
