#include "app/ItemList.h"
#include "app/RadioGroup.h"
#include "app/uMain.h"
#include "data/MessageBox.h"
#include "data/uDataModule.h"
#include "data/uLoadDll.h"
#include "data/uProc.h"
#include "practice/PathBar.h"
#include "practice/uSelectCarType.h"
#include "settings/AppPaths.h"
#include "settings/Configure.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>

// Chapter practice, special practice and the car type choice as the learner reaches them:
// from the navigation bar of the real main window over the sample bank.
class TestChapterFilterPractice : public QObject {
    Q_OBJECT

    std::unique_ptr<TdmMain> DataModule;
    std::unique_ptr<TfrmMain> Window;

    void Restart() {
        Window.reset();
        dmMain = nullptr;
        DataModule = std::make_unique<TdmMain>();
        dmMain = DataModule.get();
        DataModule->DataModuleCreate(AppPaths::BankFile());
        Window = std::make_unique<TfrmMain>();
        Window->show();
        QVERIFY(QTest::qWaitForWindowExposed(Window.get()));
    }
    void Open(const char* item) { Window->findChild<QToolButton*>(item)->click(); }
    QString CurrentPage() const { return Window->pcMain->currentWidget()->objectName(); }
    template <typename T = QWidget> T* Control(const QString& name) {
        T* control = Window->findChild<T*>(name);
        if (!control)
            qWarning() << "no control" << name;
        return control;
    }
    void ClickPathItem(int index) {
        QTest::mouseClick(Control<QLabel>("PathItem" + QString::number(index)), Qt::LeftButton);
    }
    // Opens the car type dialog and lets `act` work on it while it is shown.
    void WithCarTypeDialog(std::function<void(TfrmSelectCarType*)> act) {
        QTimer::singleShot(0, this, [act] {
            auto* dialog = qobject_cast<TfrmSelectCarType*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            act(dialog);
            if (dialog->isVisible())
                dialog->close();
        });
        Open("grpSubExerciseItems0");
    }
    int Count(const QString& sql) {
        TQuery query;
        return ExecLocalSQL(query, sql, "open", false) ? query.Rows.value(0).value(0).toInt() : -1;
    }

private slots:
    void initTestCase() {
        TestSupport::UseFreshDataFolder(true);
        LoadLibraries();
        QVERIFY(EncryptionLoaded());
        Restart();
        QVERIFY(DataModule->Connected());
    }
    void cleanupTestCase() {
        Window.reset();
        dmMain = nullptr;
    }
    void init() { MessageBoxHook::Clear(); }

    void theBankChoiceIsStoredAndShownInTheTitle() {
        WithCarTypeDialog([](TfrmSelectCarType* dialog) {
            auto* carTypes = dialog->findChild<TRadioGroup*>("rgSelectCarType");
            QCOMPARE(carTypes->Items(), (QStringList{QStringLiteral("小车(C1/C2/C3/C4/C5)"),
                                                     QStringLiteral("货车(B2/A2)"),
                                                     QStringLiteral("客车(A1/A3/B1)")}));
            QCOMPARE(carTypes->ItemIndex(), 0);
            auto* areas = dialog->findChild<QComboBox*>("cbSelectArea");
            QCOMPARE(areas->currentIndex(), 0);
            dialog->findChild<QRadioButton*>("rgSelectCarTypeItem1")->click();
            areas->setCurrentIndex(areas->findText(QStringLiteral("广东省")));
            dialog->findChild<QPushButton*>("btnStart")->click();
        });
        QCOMPARE(CurrentPage(), QStringLiteral("tsMainPage"));
        QCOMPARE(Window->windowTitle(), QStringLiteral("Veltrano助手V1.4（货车B2/A2）【广东省】"));
        QCOMPARE(Configure::ReadInteger("DriverInfo", "SubCarTypeID", 0), 2);
        QCOMPARE(Configure::ReadInteger("DriverInfo", "SubAreaID", 0), 4);
        QCOMPARE(Window->DriverInfo.SubCarTypeName, QStringLiteral("货车"));
        Open("grpSubExerciseItems6");
        QCOMPARE(Control<QLabel>("lblMockExamCarType")->text(),
                 QStringLiteral("准驾车型：货车(B2/A2)"));
    }

    void closingTheDialogChangesNothing() {
        const QString title = Window->windowTitle();
        WithCarTypeDialog([](TfrmSelectCarType* dialog) {
            QCOMPARE(dialog->findChild<TRadioGroup*>("rgSelectCarType")->ItemIndex(), 1);
            QCOMPARE(dialog->findChild<QComboBox*>("cbSelectArea")->currentText(),
                     QStringLiteral("广东省"));
            dialog->findChild<QRadioButton*>("rgSelectCarTypeItem2")->click();
        });
        QCOMPARE(Window->windowTitle(), title);
        QCOMPARE(Configure::ReadInteger("DriverInfo", "SubCarTypeID", 0), 2);
    }

    void theChapterListHoldsOnlyTheLearnersChapters() {
        Open("grpSubExerciseItems1");
        QCOMPARE(CurrentPage(), QStringLiteral("tsList"));
        QList<int> ids;
        for (const TDirectoryList& entry : Window->tsList()->ListItems())
            ids << entry.ItemImage->property("tag").toInt();
        QCOMPARE(ids, (QList<int>{1, 2, 3, 4, 5, 6, 7, 9, 12}));
        QVERIFY(Control<QLabel>("ListLbl8")
                    ->text()
                    .startsWith(QStringLiteral("第十章.地方法规试题（广东省）：")));
        QVERIFY(Control<QLabel>("ListLbl7")->text().startsWith(QStringLiteral("第九章.货车")));
    }

    void aChapterOpensItsQuestionsAndThePathLeadsBack() {
        Open("grpSubExerciseItems1");
        QTest::mouseClick(Control<QLabel>("ListLbl7"), Qt::LeftButton);
        QCOMPARE(CurrentPage(), QStringLiteral("tsSubList"));
        const int count = QuestionCount(Window->SubList);
        QCOMPARE(count, Count("select count(*) from Sub where ChapterID = 9"));
        for (int i = 1; i <= count; ++i)
            QCOMPARE(Window->SubList[i].ChapterID, 9);
        const QStringList path = Window->pbMainPath()->Items();
        QCOMPARE(path.size(), 3);
        QCOMPARE(path[0], QStringLiteral("【货车】"));
        QCOMPARE(path[1], QStringLiteral("章节练习"));
        QVERIFY(path[2].startsWith(QStringLiteral("货车专用试题：")));
        QVERIFY(path[2].endsWith(QStringLiteral("（共计%1题）").arg(count)));

        ClickPathItem(0);
        QCOMPARE(CurrentPage(), QStringLiteral("tsSubList"));
        ClickPathItem(1);
        QCOMPARE(CurrentPage(), QStringLiteral("tsList"));
        QCOMPARE(Window->tsList()->ListItems().size(), 9);

        // The first chapter's title is longer than the path allows.
        QTest::mouseClick(Control<QLabel>("ListImg0"), Qt::LeftButton);
        QVERIFY(Window->pbMainPath()->Items()[2].contains(QStringLiteral("...（共计")));

        Open("grpSubExerciseItems2");
        ClickPathItem(1);
        QCOMPARE(CurrentPage(), QStringLiteral("tsSubList"));
    }

    void specialPracticeTakesOneChoiceAtATime() {
        Open("grpSubExerciseItems4");
        QCOMPARE(CurrentPage(), QStringLiteral("tsFilterTest"));
        auto* format = Control<TRadioGroup>("rgSubFormat");
        auto* type = Control<TRadioGroup>("rgSubType");
        auto* result = Control<TRadioGroup>("rgSubResult");
        QCOMPARE(format->Items(),
                 (QStringList{QStringLiteral("判断题"), QStringLiteral("选择题")}));
        QCOMPARE(result->Items().size(), 6);
        Control<QPushButton>("btnFilterOrderTest")->click();
        QCOMPARE(CurrentPage(), QStringLiteral("tsFilterTest"));

        Control<QRadioButton>("rgSubResultItem1")->click();
        Control<QRadioButton>("rgSubFormatItem0")->click();
        QCOMPARE(result->ItemIndex(), -1);
        QCOMPARE(format->ItemIndex(), 0);
        Control<QRadioButton>("rgSubResultItem4")->click();
        QCOMPARE(format->ItemIndex(), -1);

        Control<QPushButton>("btnFilterOrderTest")->click();
        QCOMPARE(CurrentPage(), QStringLiteral("tsSubList"));
        const int count = QuestionCount(Window->SubList);
        QVERIFY(count > 0);
        for (int i = 1; i <= count; ++i)
            QCOMPARE(CodeToStr(Window->SubList[i].SubAnswer), QStringLiteral("对"));
        QCOMPARE(Window->pbMainPath()->Items().value(2),
                 QStringLiteral("选正确的题（共计%1题）").arg(count));

        ClickPathItem(1);
        QCOMPARE(CurrentPage(), QStringLiteral("tsFilterTest"));
        QCOMPARE(result->ItemIndex(), -1);
        Control<QRadioButton>("rgSubTypeItem2")->click();
        Control<QPushButton>("btnFilterRandTest")->click();
        QCOMPARE(CurrentPage(), QStringLiteral("tsSubList"));
        QCOMPARE(Window->pbMainPath()->Items().value(2),
                 type->ItemText(2) +
                     QStringLiteral("（共计%1题）").arg(QuestionCount(Window->SubList)));
    }

    void everyFilterOptionRunsOnTheBank() {
        for (const char* name : {"rgSubFormat", "rgSubHardEasy", "rgSubType", "rgSubResult"}) {
            Open("grpSubExerciseItems4");
            const int options = Control<TRadioGroup>(name)->Items().size();
            QVERIFY(options > 1);
            for (int p = 0; p < options; ++p) {
                Open("grpSubExerciseItems4");
                Control<QRadioButton>(QString::fromLatin1(name) + "Item" + QString::number(p))
                    ->click();
                Control<QPushButton>("btnFilterOrderTest")->click();
                QVERIFY2(MessageBoxHook::Recorded().isEmpty(), name);
                QCOMPARE(CurrentPage(), QStringLiteral("tsSubList"));
            }
        }
    }

    void anEmptyFilterTellsTheLearnerAndKeepsTheChoice() {
        TQuery query;
        QVERIFY(ExecLocalSQL(query, "update Sub set SubHardEasyID = 2 where SubHardEasyID = 3",
                             "execute", false));
        Open("grpSubExerciseItems4");
        Control<QRadioButton>("rgSubHardEasyItem2")->click();
        Control<QPushButton>("btnFilterRandTest")->click();
        QCOMPARE(MessageBoxHook::Recorded(), QStringList{"没有相关试题，请重新选择！"});
        QCOMPARE(CurrentPage(), QStringLiteral("tsFilterTest"));
        QCOMPARE(Control<TRadioGroup>("rgSubHardEasy")->ItemIndex(), 2);
    }

    void withoutCarTypesNothingIsStored() {
        TQuery query;
        QVERIFY(ExecLocalSQL(query, "alter table CarType rename to CarTypeAway", "execute", false));
        WithCarTypeDialog([](TfrmSelectCarType* dialog) {
            QVERIFY(dialog->findChild<TRadioGroup*>("rgSelectCarType")->Items().isEmpty());
            dialog->findChild<QComboBox*>("cbSelectArea")->setCurrentIndex(1);
            dialog->btnStartClick();
            QVERIFY(dialog->isVisible());
        });
        QVERIFY(ExecLocalSQL(query, "alter table CarTypeAway rename to CarType", "execute", false));
        QCOMPARE(MessageBoxHook::Recorded(), QStringList{"没有选择车型，题库选择未保存！"});
        QCOMPARE(Configure::ReadInteger("DriverInfo", "SubAreaID", 0), 4);
    }

    void theChoiceOutlivesARestart() {
        Restart();
        QCOMPARE(Window->windowTitle(), QStringLiteral("Veltrano助手V1.4（货车B2/A2）【广东省】"));
        Open("grpSubExerciseItems1");
        QCOMPARE(Window->tsList()->ListItems().size(), 9);
    }
};

QTEST_MAIN(TestChapterFilterPractice)
#include "tst_ChapterFilterPractice.moc"
