// The driving classroom as the learner reaches it: the seven entries of the real main window
// over the sample bank and the real resource libraries, the viewer's forms, paging, the
// lesson sequence and the release of the viewer's controls by navigation.
#include "app/uMain.h"
#include "classroom/FlashSlot.h"
#include "classroom/TeachViewer.h"
#include "data/uLoadDll.h"
#include "data/uProc.h"
#include "online/WebView.h"
#include "support/ProgramRun.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>

class TestTeachViewer : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramRun> Run;

    TfrmMain& Window() { return Run->Window(); }
    TTeachViewer& Viewer() { return *Window().tsShowImage(); }
    template <typename T = QWidget> T* Control(const QString& name) {
        return Window().findChild<T*>(name);
    }
    void Open(const QString& item) { Control<QToolButton>(item)->click(); }
    QString CurrentPage() { return Window().pcMain->currentWidget()->objectName(); }
    QString PageText() { return Control<QLabel>("lblPage")->text(); }
    void Click(const char* button) { Control<QPushButton>(button)->click(); }
    int Pictures(QTextEdit* text) {
        int count = 0;
        for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next())
            for (auto it = block.begin(); !it.atEnd(); ++it)
                count += it.fragment().charFormat().isImageFormat() ? 1 : 0;
        return count;
    }

private slots:
    void initTestCase() {
        Run = std::make_unique<ProgramRun>(true, true);
        LoadLibraries();
        QVERIFY(Run->Restart());
    }
    void cleanupTestCase() { Run.reset(); }

    void gesturesPageThroughOneLargeSlotAndNavigationFreesIt() {
        Open("grpDriveTeachItems2");
        QCOMPARE(CurrentPage(), QStringLiteral("tsShowImage"));
        QVERIFY(Control<QLabel>("GifImg0"));
        QVERIFY(Control<QLabel>("GifImg0")->movie());
        QCOMPARE(Control<QLabel>("ImageLbl0")->text(), QStringLiteral("停止信号"));
        QCOMPARE(Control("ImagePnl0")->geometry(), QRect(25, 25, 780, 440));
        QCOMPARE(PageText(), "1/8");
        QVERIFY(!Control("btnLastPage")->isEnabled());
        QVERIFY(Control("btnNextPage")->isEnabled());
        Click("btnNextPage");
        QCOMPARE(PageText(), "2/8");
        QVERIFY(Control("btnLastPage")->isEnabled());
        Click("btnLastPage");
        QCOMPARE(PageText(), "1/8");

        for (const char* entry : {"grpSubExerciseItems1", "grpMoreOptionItems0",
                                  "grpMoreOptionItems4", "grpDriveTeachItems0"}) {
            Open("grpDriveTeachItems2");
            QVERIFY(Control("ImagePnl0"));
            Open(entry);
            QVERIFY2(!Control("ImagePnl0") && !Control("ImageLbl0"), entry);
        }
    }

    void signsListAsTilesAndShowInATwelveSlotGrid() {
        Open("grpDriveTeachItems1");
        QCOMPARE(CurrentPage(), QStringLiteral("tsList"));
        QVERIFY(Control<QLabel>("ListImg6"));
        QVERIFY(!Control<QLabel>("ListImg0")->pixmap().isNull()); // thumbnail J1
        QTest::mouseClick(Control<QLabel>("ListImg0"), Qt::LeftButton);
        QCOMPARE(CurrentPage(), QStringLiteral("tsShowImage"));
        QVERIFY(Control("ImagePnl11"));
        QCOMPARE(Control("ImagePnl5")->geometry(), QRect(225, 185, 175, 120));
        QVERIFY(!Control<QLabel>("ImageImg0")->pixmap().isNull());
        QCOMPARE(PageText(), "1/2");
        Click("btnNextPage");
        QCOMPARE(PageText(), "2/2");
        QVERIFY(!Control("btnNextPage")->isEnabled());
        QVERIFY(!Control<QLabel>("ImageImg9")->pixmap().isNull()); // item 22
        QVERIFY(Control<QLabel>("ImageImg10")->pixmap().isNull());
        QVERIFY(Control<QLabel>("ImageLbl10")->text().isEmpty());
        Click("btnNextPage");
        QCOMPARE(PageText(), "2/2");
    }

    void lawsAndStandardsFillThePageWithReadableText() {
        Open("grpDriveTeachItems0");
        QCOMPARE(CurrentPage(), QStringLiteral("tsList"));
        QVERIFY(Control<QLabel>("ListLbl0")->text().startsWith(QStringLiteral("1、")));
        QTest::mouseClick(Control<QLabel>("ListLbl0"), Qt::LeftButton);
        QCOMPARE(CurrentPage(), QStringLiteral("tsShowImage"));
        auto* text = Control<QTextEdit>("TxtImg0");
        QVERIFY(text && text->isReadOnly());
        QVERIFY(text->toPlainText().contains(QStringLiteral("道路交通安全法")));
        QVERIFY(!Control("ImageLbl0"));
        QVERIFY(Control("btnLastPage")->isHidden() && Control("lblPage")->isHidden());
        QCOMPARE(Control("ImagePnl0")->geometry(), Viewer().rect());

        Open("grpDriveTeachItems5");
        QTest::mouseClick(Control<QLabel>("ListImg1"), Qt::LeftButton);
        QVERIFY(Control<QTextEdit>("TxtImg0")->toPlainText().contains(QStringLiteral("科目二")));
    }

    void anotherCatalogueReplacesRowsUnderThePointer() {
        Open("grpDriveTeachItems0");
        auto* row = Control<QLabel>("ListImg0");
        QTest::mouseMove(row, row->rect().center());
        QTRY_VERIFY(row->underMouse());
        Open("grpDriveTeachItems1");
        QCOMPARE(CurrentPage(), QStringLiteral("tsList"));
        QVERIFY(Control("ListImg6"));
        QVERIFY(!Control("ListImg7"));
    }

    void metersAreComposedAsPictureAndLinePerLamp() {
        Open("grpDriveTeachItems4");
        auto* text = Control<QTextEdit>("TxtImg0");
        QVERIFY(text);
        const int lamps = Viewer().DriveTeachInfoList.size();
        QVERIFY(lamps >= 24);
        QCOMPARE(Pictures(text), lamps);
        QCOMPARE(text->document()->blockCount(), lamps);
        QTextBlock first = text->document()->begin();
        QVERIFY(first.begin().fragment().charFormat().isImageFormat());
        QVERIFY(first.text().endsWith(Viewer().DriveTeachInfoList.at(0).TeachDesc));
        QVERIFY(text->document()->lastBlock().text().endsWith(
            Viewer().DriveTeachInfoList.last().TeachDesc));
    }

    void lessonsArePagedAsOneSequenceWithEachLessonsOwnPlayer() {
        Open("grpDriveTeachItems6");
        QTest::mouseClick(Control<QLabel>("ListImg3"), Qt::LeftButton); // 35
        QCOMPARE(PageText(), "4/10");
        QCOMPARE(Control("ImagePnl0")->geometry(), QRect(25, 25, 780, 480));
        QCOMPARE(Control("ImageLbl0")->geometry().top(), 515);
        QVERIFY(Control<QLabel>("GifImg0")->movie());
        Click("btnLastPage");
        Click("btnLastPage");
        QCOMPARE(PageText(), "2/10");
        auto* film = Control<TFlashSlot>("SwfImg0");
        QVERIFY(film);
        QVERIFY(!Control("GifImg0"));
        QVERIFY(film->Movie().endsWith(".swf"));
        Click("btnNextPage");
        QVERIFY(Control<QLabel>("GifImg0")->movie());
        QVERIFY(!Control("SwfImg0"));
    }

    void aFlashLessonPlaysInRuffleAndItsFramesAdvance() {
        if (!RuffleInstalled())
            QSKIP("Ruffle is not installed beside the program (scripts/setup-ruffle.sh)");
        QVERIFY(Viewer().LoadTeachItems(32));
        auto* film = Control<TFlashSlot>("SwfImg0");
        QVERIFY(film && film->View());
        // The stage as the player drew it, read twice a while apart.
        const auto stage = [film] {
            QVariant result;
            bool done = false;
            qobject_cast<QWebEngineView*>(film->View())
                ->page()
                ->runJavaScript(
                    "(() => { const p = document.querySelector('ruffle-player');"
                    " const c = p && p.shadowRoot && p.shadowRoot.querySelector('canvas');"
                    " return c && p.metadata ? c.toDataURL() : ''; })()",
                    [&](const QVariant& value) {
                        result = value;
                        done = true;
                    });
            if (!QTest::qWaitFor([&] { return done; }, 10000))
                return QString();
            return result.toString();
        };
        QString first;
        QTRY_VERIFY_WITH_TIMEOUT(!(first = stage()).isEmpty(), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(stage() != first, 10000);
    }

    void entriesWithoutItemsOrFilesGiveANotice() {
        Open("grpSubExerciseItems1");
        QVERIFY(!Viewer().LoadTeachItems(quint32(-7)));
        QVERIFY(Control("lblNoItems")->isVisibleTo(&Viewer()));
        TQuery query;
        QVERIFY(ExecLocalSQL(query,
                             "insert into DriveTeachList (DriveTeachID, TeachName, TeachCaption, "
                             "TeachDesc, TeachType) values (3, 'ZZ_missing', 'c', 'd', 'PNG')",
                             "execute", false));
        QVERIFY(Viewer().LoadTeachItems(3));
        QVERIFY(!Control("lblNoItems")->isVisibleTo(&Viewer()));
        Click("btnNextPage");
        Click("btnNextPage");
        const QString last = PageText().section('/', 1);
        QCOMPARE(PageText(), last + "/" + last);
        bool noticed = false;
        for (int i = 0; i < 12; ++i)
            if (auto* picture = Control<QLabel>("ImageImg" + QString::number(i)))
                noticed |= picture->text().contains(QStringLiteral("找不到教学文件"));
        QVERIFY(noticed);
    }
};

int main(int argc, char** argv) {
    PrepareWebEngine();
    QApplication app(argc, argv);
    TestTeachViewer test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_TeachViewer.moc"
