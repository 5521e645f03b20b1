#include "data/MessageBox.h"
#include "data/SqlCipherConnection.h"
#include "data/uDataModule.h"
#include "data/uLoadDll.h"
#include "data/uProc.h"
#include "practice/PlanBar.h"
#include "practice/PracticePage.h"
#include "practice/PracticeRules.h"
#include "practice/SubListGrid.h"
#include "support/FixtureBank.h"
#include "support/ProgramRun.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <memory>

namespace {

// Chapters 1 and 2 are general, 9 is for car type 2 and 10 for area 2. Question 4 stands in
// chapter 9 (lower row number) and in chapter 2; question 7 is for another area.
const QList<FixtureBank::Question> SmallBank = {
    {1, 1, 1, "红灯亮时\n不准通行。", {"停车", "通行", "加速", "鸣笛"}, "A"},
    {2, 2, 1, "雾天应开启雾灯。", {}, "对"},
    {3, 3, 2, "这个标志表示什么？", {"限速", "禁行", "让行", "停车"}, "C"},
    {4, 4, 9, "货车载物不得超过核定载质量。", {}, "对"},
    {6, 4, 2, "货车载物不得超过核定载质量。", {}, "对"},
    {7, 7, 10, "本地题。", {}, "错"},
};

bool StoredWrongMark(int subID) {
    TQuery query;
    ExecLocalSQL(query, QString("select WrongMark from Sub where SubID=%1").arg(subID), "open",
                 false);
    return !query.Rows.isEmpty() && query.Rows.first().first().toBool();
}

} // namespace

class TestPracticePage : public QObject {
    Q_OBJECT

    TSubList SubList;
    int SubIndex = 0;
    TKeyMap KeyMap;
    TDriverInfo DriverInfo;
    TPracticePage* Page = nullptr;
    std::unique_ptr<ProgramRun> Run;

    template <typename T> T* Control(const char* name) {
        T* control = Page->findChild<T*>(QString::fromLatin1(name));
        if (!control)
            qFatal("no control %s", name);
        return control;
    }
    QString Caption(const char* name) {
        if (auto* button = Page->findChild<QPushButton*>(QString::fromLatin1(name)))
            return button->text();
        return Control<QLabel>(name)->text();
    }
    void Click(const char* name) { Control<QPushButton>(name)->click(); }
    void ClickCell(int row, int column, Qt::MouseButton button = Qt::LeftButton) {
        auto* grid = Control<TSubListGrid>("sgSubList");
        const QRect cell = grid->visualRect(grid->model()->index(row, column));
        QTest::mouseClick(grid->viewport(), button, {}, cell.center());
    }

private slots:
    void initTestCase() {
        Run = std::make_unique<ProgramRun>(true, false);
        LoadLibraries();
        QVERIFY(EncryptionLoaded());
        QVERIFY(Run->Restart());
        QVERIFY(FixtureBank::ReplaceQuestions(dmMain->adocLocal(), SmallBank));
        DriverInfo.SubCarTypeID = 2;
        DriverInfo.SubAreaID = 1;
        Page = new TPracticePage(SubList, SubIndex, KeyMap, DriverInfo);
        Page->resize(834, 604);
        Page->show();
    }

    void cleanupTestCase() {
        delete Page;
        Run.reset();
    }

    void init() {
        MessageBoxHook::Clear();
        Control<QCheckBox>("cbToNextSub")->setChecked(true);
    }

    void sequentialPracticeLoadsEachApplicableQuestionOnce() {
        Click("btnHintResult");
        QVERIFY(Control<QLabel>("lblRightAnswer1")->isVisibleTo(Page));
        QVERIFY(Page->LoadPractice(PracticeMode::AllQuestions, PracticeMode::ChapterOrder));
        QCOMPARE(QuestionCount(SubList), 4);
        QList<int> order;
        for (int i = 1; i < SubList.size(); ++i)
            order << SubList[i].SubID;
        QCOMPARE(order, (QList<int>{1, 2, 3, 4}));
        QCOMPARE(SubList[4].ChapterID, 9);
        QCOMPARE(SubIndex, 1);
        QCOMPARE(Caption("btnHintResult"), QStringLiteral("显示答案"));
        QVERIFY(!Control<QLabel>("lblRightAnswer1")->isVisibleTo(Page));
        QCOMPARE(Caption("lblRightRate"), QStringLiteral("正确率：0.00%"));
        QCOMPARE(Caption("lblAllAndRight"), QStringLiteral("正确/答题：0/0"));
        QVERIFY(!Control<QPushButton>("btnLast")->isEnabled());
        QVERIFY(Control<QPushButton>("btnNext")->isEnabled());
        auto* grid = Control<TSubListGrid>("sgSubList");
        QCOMPARE(grid->rowCount(), 1);
        QCOMPARE(grid->item(0, 3)->text(), "4");
        QVERIFY(!grid->item(0, 4));
        QCOMPARE(grid->columnWidth(0), 54);
        QCOMPARE(Control<TPlanBar>("pbPlan")->Total(), 4);
        QCOMPARE(Control<TPlanBar>("pbPlan")->Position(), 1);
        const QString question = Control<QTextEdit>("reQuestion")->toPlainText();
        QVERIFY2(question.startsWith("1、 红灯亮时不准通行。"), qPrintable(question));
        QVERIFY(question.contains("D：鸣笛"));
    }

    void questionKindsSwitchTheAnswerButtons() {
        Page->ShowSub(2);
        QVERIFY(Control<QPushButton>("btnA")->isHidden());
        QVERIFY(Control<QPushButton>("btnD")->isHidden());
        QCOMPARE(Caption("btnB"), QStringLiteral("对"));
        QCOMPARE(Caption("btnC"), QStringLiteral("错"));
        Click("btnHintResult");
        Page->ShowSub(3);
        QVERIFY(!Control<QPushButton>("btnA")->isHidden());
        QCOMPARE(Caption("btnB"), QStringLiteral("B"));
        QCOMPARE(Caption("btnC"), QStringLiteral("C"));
        QVERIFY(Control<QLabel>("lblRightAnswer1")->isVisibleTo(Page));
        QCOMPARE(Caption("lblRightAnswer1"), QStringLiteral("C"));
        QCOMPARE(Control<QTextEdit>("reSubAnalyse")->toPlainText(), QStringLiteral("解析"));
        Click("btnHintResult");
    }

    void answersAreJudgedCountedAndMarked() {
        QVERIFY(Page->LoadPractice(PracticeMode::AllQuestions, PracticeMode::ChapterOrder));
        Click("btnA");
        QCOMPARE(Caption("lblRightRate"), QStringLiteral("正确率：100.00%"));
        QCOMPARE(Caption("lblAllAndRight"), QStringLiteral("正确/答题：1/1"));
        QCOMPARE(SubIndex, 2);
        QVERIFY(Control<QLabel>("lblSubResultMark")->isHidden());
        Click("btnC"); // 错 on a question whose answer is 对
        QCOMPARE(Caption("lblRightRate"), QStringLiteral("正确率：50.00%"));
        QCOMPARE(Caption("lblAllAndRight"), QStringLiteral("正确/答题：1/2"));
        QVERIFY(SubList[2].WrongMark);
        QVERIFY(StoredWrongMark(2));
        Click("btnLast");
        QCOMPARE(Caption("lblMyAnswer1"), QStringLiteral("错"));
        QCOMPARE(Caption("btnSetError"), QStringLiteral("移除错题"));
        Click("btnB"); // answered again, rightly: counted once, mark kept
        QCOMPARE(Caption("lblAllAndRight"), QStringLiteral("正确/答题：2/2"));
        QVERIFY(StoredWrongMark(2));

        QVERIFY(Page->LoadPractice(PracticeMode::WrongQuestions, PracticeMode::ChapterOrder));
        QCOMPARE(QuestionCount(SubList), 1);
        QCOMPARE(SubList[1].SubID, 2);
        QVERIFY(SubList[1].MyAnswer.isEmpty());
        QVERIFY(!Control<QPushButton>("btnLast")->isEnabled());
        QVERIFY(!Control<QPushButton>("btnNext")->isEnabled());
        Click("btnB"); // the last question: nowhere to advance
        QCOMPARE(SubIndex, 1);
    }

    void wrongMarkIsSetAndRemovedByHand() {
        QVERIFY(Page->LoadPractice(PracticeMode::AllQuestions, PracticeMode::ChapterOrder));
        Control<QCheckBox>("cbToNextSub")->setChecked(false);
        Click("btnD"); // wrong; the caption follows only when the question is shown again
        QVERIFY(StoredWrongMark(1));
        QCOMPARE(Caption("btnSetError"), QStringLiteral("设为错题"));
        Click("btnSetError");
        QCOMPARE(Caption("btnSetError"), QStringLiteral("移除错题"));
        Click("btnSetError");
        QCOMPARE(Caption("btnSetError"), QStringLiteral("设为错题"));
        QVERIFY(!StoredWrongMark(1));
        QVERIFY(!SubList[1].WrongMark);
    }

    void explanationPictureOpensAtTheTopScaledIntoTheBox() {
        QVERIFY(Page->LoadPractice(PracticeMode::AllQuestions, PracticeMode::ChapterOrder));
        auto* tabs = Control<QTabWidget>("pcSub");
        tabs->setCurrentIndex(1);
        TSub& sub = SubList[1];
        sub.SubAnalyse = StrToCode(QStringLiteral("第一行\n第二行\n第三行"));
        sub.SubAnalysePic = QStringLiteral("sign_stop");
        sub.SubAnalysePicType = QStringLiteral("png");
        Page->ShowSub(1);
        auto* analyse = Control<QTextEdit>("reSubAnalyse");
        QCOMPARE(analyse->textCursor().position(), 0);
        QCOMPARE(analyse->verticalScrollBar()->value(), 0);
        QTextImageFormat picture;
        for (QTextBlock block = analyse->document()->begin(); block.isValid();
             block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                if (it.fragment().charFormat().isImageFormat())
                    picture = it.fragment().charFormat().toImageFormat();
            }
        }
        QVERIFY(picture.isValid());
        const QImage original = analyse->document()
                                    ->resource(QTextDocument::ImageResource, picture.name())
                                    .value<QImage>();
        QVERIFY2(original.height() > analyse->viewport()->height(), "the sample is too small");
        QVERIFY(picture.height() <= analyse->viewport()->height());
        QVERIFY(picture.width() <= analyse->viewport()->width());
        const double ratio = double(original.width()) / original.height();
        QVERIFY(qAbs(picture.width() / picture.height() - ratio) < 0.01);
        tabs->setCurrentIndex(0);
    }

    void gridAndProgressBarJumpToQuestions() {
        QVERIFY(Page->LoadPractice(PracticeMode::AllQuestions, PracticeMode::ChapterOrder));
        ClickCell(0, 2);
        QCOMPARE(SubIndex, 3);
        ClickCell(0, 3, Qt::RightButton);
        QCOMPARE(SubIndex, 3);
        ClickCell(0, 9); // empty cell
        QCOMPARE(SubIndex, 3);
        auto* grid = Control<TSubListGrid>("sgSubList");
        QCOMPARE(grid->currentRow(), 0);
        QCOMPARE(grid->currentColumn(), 2);
        auto* bar = Control<TPlanBar>("pbPlan");
        QTest::mouseClick(bar, Qt::RightButton, {}, QPoint(bar->width() - 1, 5));
        QCOMPARE(SubIndex, 4);
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(0, 5));
        QCOMPARE(SubIndex, 1);
        QCOMPARE(bar->Position(), 1);
    }
};

QTEST_MAIN(TestPracticePage)
#include "tst_PracticePage.moc"
