#include "app/ItemList.h"
#include "data/uLoadDll.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

namespace {

QList<TDirectoryList> Items(int count, const QString& hint = QStringLiteral("章节练习：x")) {
    QList<TDirectoryList> items;
    for (int i = 0; i < count; ++i)
        items.append({nullptr, nullptr, nullptr, QStringLiteral("item %1").arg(i), hint, 100 + i});
    return items;
}

QColor Border(const QWidget* panel) {
    return panel->palette().color(QPalette::Window);
}

qint64 PictureKey(const QLabel* label) {
    return label->pixmap().cacheKey();
}

} // namespace

// The run-time item lists on tsList: their geometry, names and reactions, as the chapter
// list and the classroom use them.
class TestItemList : public QObject {
    Q_OBJECT

    TItemListPage* Page = nullptr;
    QList<std::pair<int, QString>> Clicks;

    TListItemClick Recorder() {
        return [this](int tag, const QString& hint) { Clicks.append({tag, hint}); };
    }
    template <typename T> T* Control(const QString& name) { return Page->findChild<T*>(name); }

private slots:
    void initTestCase() {
        TestSupport::UseFreshDataFolder(false);
        LoadLibraries();
        Page = new TItemListPage;
        Page->resize(834, 604);
        Page->show();
        QVERIFY(QTest::qWaitForWindowExposed(Page));
    }
    void cleanupTestCase() { delete Page; }
    void init() { Clicks.clear(); }

    void geometryFollowsTheItemCount() {
        QCOMPARE(ListRowHeight(13), 45);
        QCOMPARE(ListRowGeometry(12, 13), QRect(0, 550, 825, 45));
        QCOMPARE(ListRowHeight(14), 40);
        QCOMPARE(ListRowGeometry(13, 14), QRect(0, 530, 825, 40));
        QCOMPARE(ListTileGeometry(5), QRect(240, 200, 150, 115));
        QCOMPARE(ListTileCaptionGeometry(5), QRect(240, 325, 150, 35));
        QCOMPARE(ListTileGeometry(3).left(), 640);
        QCOMPARE(ListContentHeight(0, false), 0);
        QCOMPARE(ListContentHeight(13, false), 595);
        QCOMPARE(ListContentHeight(15, false), 610);
        QCOMPARE(ListContentHeight(5, true), 360);
        QCOMPARE(ListItemIndex("ListPnl12"), 12);
        QCOMPARE(ListItemIndex("ListLbl0"), 0);
        QCOMPARE(ListItemIndex("ListPnl"), -1);
        QCOMPARE(ListItemIndex("ListPnl-1"), -1);
        QCOMPARE(ListItemIndex("ListPnlx"), -1);
    }

    void rowsCarryNamesTagsAndHints() {
        Page->BuildRowList(Items(3), Recorder());
        QCOMPARE(Page->ListItems().size(), 3);
        auto* panel = Control<QWidget>("ListPnl2");
        QVERIFY(panel);
        QCOMPARE(panel, Page->ListItems()[2].ItemPanel);
        QCOMPARE(panel->geometry(), QRect(0, 100, 825, 45));
        auto* label = Control<QLabel>("ListLbl2");
        QCOMPARE(label->text(), QStringLiteral("item 2"));
        QCOMPARE(label->pos(), QPoint(90, 14));
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(Control<QLabel>("ListImg2")->property("tag").toInt(), 102);
        QCOMPARE(label->property("hint").toString(), QStringLiteral("章节练习：x"));
    }

    void rowPicturesFollowPointerAndButton() {
        Page->BuildRowList(Items(2), Recorder());
        auto* picture = Control<QLabel>("ListImg1");
        const qint64 normal = PictureKey(picture);
        QVERIFY(!picture->pixmap().isNull());
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(Control<QWidget>("ListPnl1"), &enter);
        const qint64 focus = PictureKey(picture);
        QVERIFY(focus != normal);
        QTest::mousePress(Control<QLabel>("ListLbl1"), Qt::LeftButton);
        QVERIFY(PictureKey(picture) != focus && PictureKey(picture) != normal);
        QTest::mouseRelease(Control<QLabel>("ListLbl1"), Qt::LeftButton);
        QCOMPARE(PictureKey(picture), focus);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(Control<QWidget>("ListPnl1"), &leave);
        QCOMPARE(PictureKey(picture), normal);
        // The caption's click is the picture's click.
        QCOMPARE(Clicks, (QList<std::pair<int, QString>>{{101, QStringLiteral("章节练习：x")}}));
        QTest::mouseClick(picture, Qt::LeftButton);
        QCOMPARE(Clicks.size(), 2);
        QTest::mouseClick(picture, Qt::RightButton);
        QCOMPARE(Clicks.size(), 2);
    }

    void tilesChangeTheirBorderAndOnlyPicturesClick() {
        Page->BuildTileList(Items(6, QStringLiteral("交通标志")), nullptr, Recorder());
        auto* panel = Control<QWidget>("ListPnl5");
        QCOMPARE(panel->geometry(), QRect(240, 200, 150, 115));
        QCOMPARE(Control<QLabel>("ListImg5")->geometry(), QRect(6, 6, 138, 103));
        auto* caption = Control<QLabel>("ListLbl5");
        QCOMPARE(caption->parentWidget(), panel->parentWidget());
        QCOMPARE(caption->geometry(), QRect(240, 325, 150, 35));
        QCOMPARE(Border(panel), QColor(Qt::white));
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(panel, &enter);
        QCOMPARE(Border(panel), QColor(244, 240, 179));
        QTest::mousePress(Control<QLabel>("ListImg5"), Qt::LeftButton);
        QCOMPARE(Border(panel), QColor(253, 175, 109));
        QTest::mouseRelease(Control<QLabel>("ListImg5"), Qt::LeftButton);
        QCOMPARE(Border(panel), QColor(244, 240, 179));
        QCOMPARE(Clicks, (QList<std::pair<int, QString>>{{105, QStringLiteral("交通标志")}}));
        QTest::mouseClick(caption, Qt::LeftButton);
        QCOMPARE(Clicks.size(), 1);
    }

    void aNewListRemovesEveryControlOfTheOldOne() {
        Page->BuildTileList(Items(9), nullptr, Recorder());
        Page->BuildRowList(Items(2), Recorder());
        QVERIFY(!Control<QWidget>("ListPnl2"));
        QVERIFY(!Control<QWidget>("ListLbl8"));
        QCOMPARE(Page->findChildren<QLabel*>(QRegularExpression("^ListLbl")).size(), 2);
        Page->BuildRowList({}, Recorder());
        QVERIFY(Page->ListItems().isEmpty());
        QVERIFY(Page->findChildren<QWidget*>(QRegularExpression("^List(Pnl|Img|Lbl)")).isEmpty());
    }

    void aClickMayRebuildTheList() {
        Page->BuildRowList(
            Items(2), [this](int, const QString&) { Page->BuildRowList(Items(1), Recorder()); });
        QTest::mouseClick(Control<QLabel>("ListImg1"), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(Page->ListItems().size(), 1);
    }

    void theScrollBarAppearsOnlyWhenItemsPassTheLowerEdge() {
        auto* bar = Page->findChild<QScrollArea*>("ListScroller")->verticalScrollBar();
        Page->BuildRowList(Items(14), Recorder());
        QCoreApplication::processEvents();
        QVERIFY(!bar->isVisible());
        Page->BuildRowList(Items(30), Recorder());
        QCoreApplication::processEvents();
        QVERIFY(bar->isVisible());
        // Rows leave the wheel to the page, which scrolls with it.
        QWheelEvent wheel(QPointF(100, 20), QPointF(), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Control<QLabel>("ListLbl0"), &wheel);
        QVERIFY(!wheel.isAccepted());
        QApplication::sendEvent(Page->findChild<QScrollArea*>("ListScroller")->viewport(), &wheel);
        QVERIFY(bar->value() > 0);
        bar->setValue(bar->maximum());
        const QWidget* last = Control<QWidget>("ListPnl29");
        const QPoint bottom = last->mapTo(Page, QPoint(0, last->height()));
        QVERIFY(bottom.y() <= Page->height());
        Page->BuildTileList(Items(8), nullptr, Recorder());
        QCoreApplication::processEvents();
        QVERIFY(!bar->isVisible());
        Page->BuildTileList(Items(50), nullptr, Recorder());
        QCoreApplication::processEvents();
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->value(), 0);
    }
};

QTEST_MAIN(TestItemList)
#include "tst_ItemList.moc"
