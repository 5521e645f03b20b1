#include "app/uMain.h"
#include "data/MessageBox.h"
#include "data/uDataModule.h"
#include "data/uLoadDll.h"
#include "data/uProc.h"
#include "online/MainPage.h"
#include "practice/PathBar.h"
#include "practice/PracticePage.h"
#include "practice/SubListGrid.h"
#include "settings/Configure.h"
#include "settings/uKeyboardSet.h"
#include "support/ProgramRun.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QSet>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

namespace {

QList<int> SubIDs(const TSubList& list) {
    QList<int> ids;
    for (int i = 1; i < list.size(); ++i)
        ids << list[i].SubID;
    return ids;
}

int FirstJudgeQuestion(const TSubList& list) {
    for (int i = 1; i < list.size(); ++i)
        if (IsJudgeQuestion(list[i]))
            return i;
    return 0;
}

} // namespace

// The practice modes as the learner reaches them: from the navigation bar of the real main
// window over the sample bank, with keys going through the window first.
class TestPracticeModes : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramRun> Run;
    TfrmMain* Window = nullptr;

    void Restart() {
        QVERIFY(Run->Restart());
        Window = &Run->Window();
    }
    void Open(const char* item) { Window->findChild<QToolButton*>(item)->click(); }
    QString CurrentPage() const { return Window->pcMain->currentWidget()->objectName(); }

private slots:
    void initTestCase() {
        Run = std::make_unique<ProgramRun>(true, true);
        LoadLibraries();
        QVERIFY(EncryptionLoaded());
        Configure::WriteString("DriverInfo", "SubCarTypeName", QStringLiteral("小车"));
        Restart();
    }

    void cleanupTestCase() { Run.reset(); }

    void init() { MessageBoxHook::Clear(); }

    void wrongPracticeBeforeAnyMistakeStaysWhereItWas() {
        QCOMPARE(CurrentPage(), QStringLiteral("tsMainPage"));
        Open("grpSubExerciseItems5");
        QCOMPARE(MessageBoxHook::Recorded(), QStringList{"没有相关试题，请重新选择！"});
        QCOMPARE(CurrentPage(), QStringLiteral("tsMainPage"));
    }

    void sequentialPracticeOpensThePageWithItsPath() {
        Open("grpSubExerciseItems2");
        QCOMPARE(CurrentPage(), QStringLiteral("tsSubList"));
        const int count = QuestionCount(Window->SubList);
        QVERIFY(count > 15);
        QCOMPARE(Window->pbMainPath()->Items(),
                 (QStringList{QStringLiteral("【小车】"),
                              QStringLiteral("顺序练习（共计%1题）").arg(count)}));
        QCOMPARE(Window->SubIndex, 1);
        // More than five grid rows: narrower columns leave room for the scroll bar.
        QCOMPARE(Window->findChild<TSubListGrid*>("sgSubList")->columnWidth(14), 53);
    }

    void keysReachThePageBeforeTheFocusedControl() {
        Window->KeyMap = DefaultKeyMap();
        auto* grid = Window->findChild<TSubListGrid*>("sgSubList");
        QTest::keyClick(grid, Qt::Key_PageDown);
        QCOMPARE(Window->SubIndex, 2);
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(Window->SubIndex, 3);
        QTest::keyClick(grid, Qt::Key_PageUp, Qt::KeypadModifier); // keypad 9, NumLock off
        QCOMPARE(Window->SubIndex, 2);

        const int judge = FirstJudgeQuestion(Window->SubList);
        QVERIFY(judge > 0);
        Window->SubIndex = judge;
        Window->tsSubList()->ShowSub(judge);
        QTest::keyClick(grid, Qt::Key_4, Qt::KeypadModifier);
        QCOMPARE(Window->SubList[judge].MyAnswer, QStringLiteral("对"));

        Window->ShowPage(Window->tsMainPage);
        const int shown = Window->SubIndex;
        QTest::keyClick(Window->tsMainPage, Qt::Key_PageDown);
        QCOMPARE(Window->SubIndex, shown);
    }

    void wrongAnswersComeBackAfterARestart() {
        TQuery query;
        QVERIFY(ExecLocalSQL(query, "update Sub set WrongMark=false", "execute", false));
        Open("grpSubExerciseItems2");
        Window->KeyMap = DefaultKeyMap();
        auto* grid = Window->findChild<TSubListGrid*>("sgSubList");
        QSet<int> wrong;
        for (int answered = 0; answered < 4; ++answered) {
            const TSub& sub = Window->SubList[Window->SubIndex];
            const bool judge = IsJudgeQuestion(sub);
            const QString right = CodeToStr(sub.SubAnswer);
            // Answer the second and fourth question wrongly, the others rightly.
            const bool answerWrongly = answered % 2 == 1;
            QString given = right;
            if (answerWrongly)
                given = judge ? (right == "对" ? "错" : "对") : (right == "A" ? "B" : "A");
            if (answerWrongly)
                wrong.insert(sub.SubID);
            const QMap<QString, Qt::Key> keys{{"A", Qt::Key_A},  {"B", Qt::Key_B},
                                              {"C", Qt::Key_C},  {"D", Qt::Key_D},
                                              {"对", Qt::Key_B}, {"错", Qt::Key_C}};
            QTest::keyClick(grid, keys.value(given));
        }
        QCOMPARE(Window->SubIndex, 5);

        Restart();
        Open("grpSubExerciseItems5");
        QCOMPARE(CurrentPage(), QStringLiteral("tsSubList"));
        const QList<int> ids = SubIDs(Window->SubList);
        QCOMPARE(QSet<int>(ids.begin(), ids.end()), wrong);
        QCOMPARE(Window->pbMainPath()->Items().last(), QStringLiteral("错题练习（共计2题）"));
    }

    void randomPracticeShufflesTheSameQuestions() {
        Open("grpSubExerciseItems3");
        const QList<int> first = SubIDs(Window->SubList);
        Open("grpSubExerciseItems3");
        const QList<int> second = SubIDs(Window->SubList);
        QVERIFY(first != second);
        QCOMPARE(QSet<int>(first.begin(), first.end()), QSet<int>(second.begin(), second.end()));
        QVERIFY(Window->pbMainPath()->Items().last().startsWith(QStringLiteral("随机练习（共计")));
    }

    void keyboardEntryStoresTheDefaultKeys() {
        QTimer::singleShot(0, this, [] {
            auto* dialog = qobject_cast<TfrmKeyboardSet*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->btnRecoverClick();
            dialog->btnSaveClick();
        });
        Open("grpMoreOptionItems5");
        QCOMPARE(Window->KeyMap.A, 7);
        QCOMPARE(LoadKeyMap().Next, 1);
    }
};

QTEST_MAIN(TestPracticeModes)
#include "tst_PracticeModes.moc"
