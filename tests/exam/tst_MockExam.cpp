// The mock exam as a learner sits it: the real main window over a copy of the sample bank,
// the exam window driven by objectName, message boxes answered by the hook, and a real
// grade service process that is stopped and started again.
#include "../server/ServiceProcess.h"
#include "app/uMain.h"
#include "data/MessageBox.h"
#include "data/uDataModule.h"
#include "data/uLoadDll.h"
#include "data/uProc.h"
#include "exam/GradeOutbox.h"
#include "exam/GradeQueryPage.h"
#include "exam/MockExamPage.h"
#include "exam/uConfirmRefer.h"
#include "exam/uMockExam.h"
#include "practice/TSub.h"
#include "protocol/CommandText.h"
#include "record/LearnerRecord.h"
#include "settings/AppPaths.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>

namespace {

const QString Unreachable = QStringLiteral("无法连接远程服务器，操作失败！");

template <typename T = QWidget> T* Exam(const char* name) {
    return frmMockExam ? frmMockExam->findChild<T*>(name) : nullptr;
}

QString Text(const char* name) {
    if (auto* label = Exam<QLabel>(name))
        return label->text();
    return Exam<QPushButton>(name)->text();
}

QColor CellColor(int n) {
    return Exam<QLabel>(qPrintable(QStringLiteral("SubListLbl%1").arg(n)))
        ->palette()
        .color(QPalette::Window);
}

// Acts inside the modal loop of the confirmation dialog once it is open.
void WhenDialogOpen(std::function<void(TfrmConfirmRefer&)> act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (!frmConfirmRefer || !frmConfirmRefer->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        act(*frmConfirmRefer);
    });
    timer->start(5);
}

// Answers the question on screen by key: right or wrong.
void AnswerByKey(const TSub& sub, bool right) {
    const QString answer = CodeToStr(sub.SubAnswer);
    Qt::Key key;
    if (IsJudgeQuestion(sub))
        key = (answer == QStringLiteral("对")) == right ? Qt::Key_B : Qt::Key_C;
    else
        key = right ? Qt::Key(Qt::Key_A + (answer.at(0).unicode() - 'A'))
                    : Qt::Key(Qt::Key_A + ((answer.at(0).unicode() - 'A' + 1) % 4));
    QTest::keyClick(frmMockExam, key);
}

int GradesOnService(int port, const QString& id) {
    const auto answer =
        PostCommand(port, protocol::SelectGradeCommand(id.toStdString(), 90), "Active");
    return answer.Status == 200 ? int(answer.Body["rows"].size()) : -1;
}

} // namespace

class TestMockExam : public QObject {
    Q_OBJECT
    QTemporaryDir ServiceFolder;
    std::unique_ptr<ServiceProcess> Service;
    std::unique_ptr<TdmMain> DataModule;
    std::unique_ptr<TfrmMain> Window;

    void UseService() { dmMain->ServerInfo = {"127.0.0.1", Service->Port(), "dspClient1", {}}; }
    void StartExam() {
        Window->grpSubExerciseItems6Click();
        Window->tsMockExam()->btnStartMockExam->click();
        QVERIFY(frmMockExam);
        QVERIFY(QTest::qWaitForWindowExposed(frmMockExam));
    }
    void SignIn(const QString& id, const QString& name) {
        Exam<QLineEdit>("edtID")->setText(id);
        Exam<QLineEdit>("edtName")->setText(name);
        Exam<QPushButton>("btnMockExamLogin")->click();
    }
    // Answers the first `right` questions correctly and the others wrongly, by keys.
    void AnswerPaper(int right) {
        for (int n = 1; n <= QuestionCount(Window->SubList); ++n) {
            QCOMPARE(Window->SubIndex, n);
            AnswerByKey(Window->SubList[n], n <= right);
        }
    }
    // Submits through the dialog and returns its result line; the dialog then shows the
    // review ("查看错题") or closes the exam ("关 闭").
    QString Submit(bool review) {
        QString result;
        WhenDialogOpen([&result, review](TfrmConfirmRefer& dialog) {
            dialog.btnOK->click();
            result = dialog.lbl3->text();
            (review ? dialog.btnOK : dialog.btnCancel)->click();
        });
        Exam<QPushButton>("btnRefer")->click();
        return result;
    }

private slots:
    void initTestCase() {
        TestSupport::UseFreshDataFolder(true);
        LoadLibraries();
        QVERIFY(EncryptionLoaded());
        Service = std::make_unique<ServiceProcess>(ServiceFolder.path() + "/grades.db");
        QVERIFY2(Service->Start(), qPrintable(Service->Log()));
        Configure::WriteString("DriverInfo", "SubCarTypeName", QStringLiteral("小车"));
        // The keyboard dialog's default map: keypad 7/8/9/5 A–D, 4/6 right/wrong, PageUp/Down.
        SaveKeyMap({7, 8, 9, 5, 4, 6, 0, 1});
        DataModule = std::make_unique<TdmMain>();
        dmMain = DataModule.get();
        DataModule->DataModuleCreate(AppPaths::BankFile());
        QVERIFY(DataModule->Connected());
        UseService();
        Window = std::make_unique<TfrmMain>();
        Window->show();
        QVERIFY(QTest::qWaitForWindowExposed(Window.get()));
    }
    void cleanupTestCase() {
        if (frmMockExam) {
            frmMockExam->AskOnClose = false;
            frmMockExam->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Window.reset();
        dmMain = nullptr;
        DataModule.reset();
        QVERIFY(Service->Stop());
    }
    void init() { MessageBoxHook::Clear(); }

    void pageAndPaperFollowTheBank() {
        Window->grpSubExerciseItems6Click();
        QCOMPARE(Window->tsMockExam()->lblMockExamCarType->text(),
                 QStringLiteral("准驾车型：小车(C1/C2/C3/C4/C5)"));
        QVERIFY(Window->tsMockExam()
                    ->findChild<QLabel*>("lblMockExam10")
                    ->text()
                    .startsWith(QStringLiteral("十、地方法规试题")));
        for (int paper = 0; paper < 3; ++paper) {
            QVERIFY(Window->LoadMockExamSubList());
            const int count = QuestionCount(Window->SubList);
            QVERIFY(count >= 90 && count <= 100);
            QSet<int> seen;
            for (int n = 1; n <= count; ++n)
                seen.insert(Window->SubList[n].SubID);
            QCOMPARE(int(seen.size()), count); // no question twice in one paper
        }
        // A car type without a count column draws no paper and keeps the set.
        const TSubList before = Window->SubList;
        Window->DriverInfo.SubCarTypeID = 99;
        QVERIFY(!Window->LoadMockExamSubList());
        Window->DriverInfo.SubCarTypeID = 1;
        QCOMPARE(QuestionCount(Window->SubList), QuestionCount(before));
        QCOMPARE(MessageBoxHook::Recorded(),
                 QStringList{QStringLiteral("没有相关试题，请重新选择！")});
    }

    void signInNeedsBothFieldsAndStoresThemTrimmed() {
        StartExam();
        QVERIFY(!Window->isVisible());
        QVERIFY(frmMockExam->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(frmMockExam->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        SignIn("  ", QStringLiteral("张三"));
        QCOMPARE(MessageBoxHook::Recorded(),
                 QStringList{QStringLiteral("身份证号和考生姓名不能为空！")});
        QVERIFY(Exam("pnlMockExamLogin")->isVisible());
        SignIn(" 110'1 ", QStringLiteral(" 张三 "));
        QVERIFY(Exam("pnlMockExam")->isVisible());
        QCOMPARE(Configure::ReadString("DriverInfo", "ID"), QStringLiteral("110'1"));
        QCOMPARE(Configure::ReadString("DriverInfo", "Name"), QStringLiteral("张三"));
        QCOMPARE(Text("lblName"), QStringLiteral(" 张三 "));
        QCOMPARE(Text("lblSex"), QStringLiteral("男"));
        QCOMPARE(Text("lblCarType"), QStringLiteral("C1"));
        QCOMPARE(Window->SubIndex, 1);
        QCOMPARE(CellColor(1), QColor(166, 202, 240));
    }

    void keysAndSheetNavigate() {
        QTest::keyClick(frmMockExam, Qt::Key_Left);
        QCOMPARE(Window->SubIndex, 1);
        QTest::keyClick(frmMockExam, Qt::Key_Right);
        QCOMPARE(Window->SubIndex, 2);
        QTest::keyClick(frmMockExam, Qt::Key_PageUp);
        QCOMPARE(Window->SubIndex, 1);
        QTest::keyClick(frmMockExam, Qt::Key_PageDown);
        QCOMPARE(Window->SubIndex, 2);
        QTest::keyClick(frmMockExam, Qt::Key_Up);
        QCOMPARE(Window->SubIndex, 1);
        const int count = QuestionCount(Window->SubList);
        QTest::mouseClick(Exam("SubListLbl5"), Qt::LeftButton);
        QCOMPARE(Window->SubIndex, 5);
        QCOMPARE(CellColor(1), QColor(255, 255, 255));
        if (count < 100) { // a cell without a question does nothing
            QTest::mouseClick(Exam(qPrintable(QStringLiteral("SubListLbl%1").arg(count + 1))),
                              Qt::LeftButton);
            QCOMPARE(Window->SubIndex, 5);
        }
        QTest::mouseClick(Exam("SubListLbl1"), Qt::LeftButton);
        // A judgement question answers "√" by B; a choice question's letter A is its A.
        const TSub& first = Window->SubList[1];
        AnswerByKey(first, true);
        QCOMPARE(Window->SubList[1].MyAnswer, CodeToStr(first.SubAnswer));
        QVERIFY(Text("SubListLbl1").startsWith("1\n   "));
        QCOMPARE(CellColor(1), QColor(192, 220, 192));
        QCOMPARE(Window->SubIndex, 2);
    }

    void keypadAnswersByTheKeyMap() {
        // The paper starts with choice questions and ends with judgement questions.
        const int last = QuestionCount(Window->SubList);
        QVERIFY(!IsJudgeQuestion(Window->SubList[3]));
        QVERIFY(IsJudgeQuestion(Window->SubList[last]));
        QTest::mouseClick(Exam("SubListLbl3"), Qt::LeftButton);
        QTest::keyClick(frmMockExam, Qt::Key_7, Qt::KeypadModifier);
        QCOMPARE(Window->SubList[3].MyAnswer, QStringLiteral("A"));
        QTest::mouseClick(Exam(qPrintable(QStringLiteral("SubListLbl%1").arg(last))),
                          Qt::LeftButton);
        QTest::keyClick(frmMockExam, Qt::Key_7, Qt::KeypadModifier); // no A in a judgement
        QTest::keyClick(frmMockExam, Qt::Key_A);
        QVERIFY(Window->SubList[last].MyAnswer.isEmpty());
        QTest::keyClick(frmMockExam, Qt::Key_6, Qt::KeypadModifier);
        QCOMPARE(Window->SubList[last].MyAnswer, QStringLiteral("错"));
        QCOMPARE(Text("lblMyAnswer"), QStringLiteral("×"));
        QCOMPARE(Window->SubIndex, last); // the last question stays
        QTest::keyClick(frmMockExam, Qt::Key_4, Qt::KeypadModifier);
        QCOMPARE(Window->SubList[last].MyAnswer, QStringLiteral("对"));
        QCOMPARE(Text(qPrintable(QStringLiteral("SubListLbl%1").arg(last))),
                 QStringLiteral("%1\n   √").arg(last));
    }

    void passingPaperIsUploadedOnceAndReviewed() {
        QTest::mouseClick(Exam("SubListLbl1"), Qt::LeftButton);
        AnswerPaper(QuestionCount(Window->SubList));
        const int score = QuestionCount(Window->SubList);
        QCOMPARE(Submit(true), QStringLiteral("您本次考试得%1分，及格！").arg(score));
        QVERIFY(MessageBoxHook::Recorded().isEmpty());
        QCOMPARE(GradesOnService(Service->Port(), "110'1"), 1);
        QVERIFY(GradeOutbox::Pending().isEmpty());
        // The review: locked answers, the correct answer on the prompt line.
        QCOMPARE(Text("btnRefer"), QStringLiteral("重考"));
        QVERIFY(!Exam<QPushButton>("btnA")->isEnabled());
        QVERIFY(Text("lblMsg").startsWith(QStringLiteral("正确答案：")));
        QCOMPARE(CellColor(2), QColor(255, 255, 255));
    }

    void retakeDrawsANewPaperAndFailingIsNotUploaded() {
        Exam<QPushButton>("btnRefer")->click();
        QCOMPARE(Text("btnRefer"), QStringLiteral("交卷"));
        QCOMPARE(Text("lblTime").left(2), QStringLiteral("45"));
        QCOMPARE(Text("SubListLbl2"), QStringLiteral("2"));
        QVERIFY(Window->SubList[1].MyAnswer.isEmpty());
        AnswerPaper(80);
        QCOMPARE(Submit(true),
                 QStringLiteral("很遗憾，您本次考试得80分，不及格！祝你下次考试成功！"));
        QCOMPARE(GradesOnService(Service->Port(), "110'1"), 1);
        QCOMPARE(CellColor(81), QColor(255, 0, 0)); // answered wrongly
        // The learner record keeps the failed paper with its wrong questions.
        const QList<TPaperRecord> papers = LearnerRecord().Papers();
        QVERIFY(papers.size() >= 2);
        QCOMPARE(papers.last().Score, 80);
        QCOMPARE(papers.last().WrongSubIDs.size(), QuestionCount(Window->SubList) - 80);
        QCOMPARE(papers.last().WrongSubIDs.first(), Window->SubList[81].SubID);
        QVERIFY(Text("lblMsg").startsWith(QStringLiteral("正确答案：")));
    }

    void closingFromTheReviewAsks() {
        MessageBoxHook::SetNextAnswer(MsgAnswer::No);
        frmMockExam->close();
        QVERIFY(frmMockExam);
        QCOMPARE(MessageBoxHook::Recorded(), QStringList{QStringLiteral("是否要退出模拟考试！")});
        frmMockExam->close();
        QVERIFY(!frmMockExam);
        QVERIFY(Window->isVisible());
    }

    // The clock ticks once a second and its last tick submits the paper. The test sends the
    // ticks itself: a real 45-minute countdown, or a shortened one on a loaded machine,
    // would make the outcome depend on timing.
    void timeOutSubmitsWithoutAClick() {
        StartExam();
        QCOMPARE(Exam<QLineEdit>("edtID")->text(), QStringLiteral("110'1")); // last sign-in
        SignIn("t-out", "n");
        auto* clock = frmMockExam->findChild<QTimer*>("Timer1");
        QVERIFY(clock && clock->isActive());
        QCOMPARE(clock->interval(), 1000);
        QVERIFY(QMetaObject::invokeMethod(clock, "timeout"));
        QCOMPARE(Text("lblTime"), QStringLiteral("44:59"));
        Exam<QLabel>("lblTime")->setText("00:02");
        QVERIFY(QMetaObject::invokeMethod(clock, "timeout"));
        QCOMPARE(Text("lblTime"), QStringLiteral("00:01"));
        QVERIFY(!frmConfirmRefer);
        QString result;
        WhenDialogOpen([&result](TfrmConfirmRefer& dialog) {
            QTRY_COMPARE(dialog.btnCancel->text(), QStringLiteral("关 闭"));
            result = dialog.lbl3->text();
            dialog.btnCancel->click();
        });
        QVERIFY(QMetaObject::invokeMethod(clock, "timeout")); // returns once the dialog closed
        QTRY_VERIFY(!frmMockExam);
        QVERIFY(result.startsWith(QStringLiteral("很遗憾，您本次考试得0分")));
        QVERIFY(MessageBoxHook::Recorded().isEmpty()); // "关 闭" closes without asking
        QVERIFY(Window->isVisible());
    }

    void timeOutWhileTheDialogIsOpenSubmitsIt() {
        StartExam();
        SignIn("t-open", "n");
        TfrmConfirmRefer* opened = nullptr;
        QString face;
        WhenDialogOpen([&](TfrmConfirmRefer& dialog) {
            opened = &dialog;
            QCOMPARE(dialog.lbl1->text(), QStringLiteral("考试确认窗口"));
            QCOMPARE(dialog.btnCancel->text(), QStringLiteral("继续考试"));
            Exam<QLabel>("lblTime")->setText("00:01");
            frmMockExam->Timer1Timer();
            QCOMPARE(frmConfirmRefer, opened); // still one dialog
            face = dialog.lbl1->text();
            dialog.btnCancel->click();
        });
        Exam<QPushButton>("btnRefer")->click();
        QCOMPARE(face, QStringLiteral("信 息 提 示"));
        QVERIFY(!frmMockExam);
    }

    void gradeKeptWhileTheServiceIsDownArrivesOnce() {
        const int port = Service->Port();
        QVERIFY(Service->Stop());
        StartExam();
        SignIn("down-1", "n");
        AnswerPaper(QuestionCount(Window->SubList));
        Submit(false);
        QCOMPARE(MessageBoxHook::Recorded(), QStringList{Unreachable});
        QCOMPARE(GradeOutbox::Pending().size(), 1);
        Service = std::make_unique<ServiceProcess>(ServiceFolder.path() + "/grades.db");
        QVERIFY2(Service->Start(), qPrintable(Service->Log()));
        Q_UNUSED(port);
        UseService();
        // A lost acknowledgement: the grade reached the service but stays in the outbox.
        QVERIFY(GradeOutbox::SendQuietly(GradeOutbox::Pending().first()));
        QCOMPARE(GradeOutbox::Resend(GradeOutbox::SendQuietly), 1);
        QVERIFY(GradeOutbox::Pending().isEmpty());
        QCOMPARE(GradesOnService(Service->Port(), "down-1"), 1);
    }

    void gradePageListsTheUploadedGrades() {
        for (int i = 0; i < 18; ++i)
            PostCommand(Service->Port(), "exec procInsertGrade 'page-1','p',1805,95", "Execute");
        Window->grpMoreOptionItems4Click();
        auto* page = Window->tsGradeQuery();
        auto* id = page->findChild<QLineEdit*>("edtID");
        id->setText("");
        page->findChild<QPushButton*>("btnQuery")->click();
        QCOMPARE(MessageBoxHook::Recorded(), QStringList{QStringLiteral("证件号码不能为空！")});
        id->setText(" page-1 ");
        page->findChild<QPushButton*>("btnQuery")->click();
        // Stored as typed; the settings file reads values without surrounding blanks.
        QCOMPARE(Configure::ReadString("QueryGrade", "ID"), QStringLiteral("page-1"));
        QCOMPARE(page->findChild<QLabel*>("lblQueryShowPage")->text(),
                 QStringLiteral("共18条记录，每页17条记录"));
        auto* grid = page->findChild<QTableWidget*>("sgGradeData");
        QCOMPARE(grid->rowCount(), 18);
        QCOMPARE(grid->item(1, 3)->text(), QStringLiteral("30分5秒"));
        QVERIFY(!page->findChild<QToolButton*>("tbFirst")->isEnabled());
        page->findChild<QToolButton*>("tbNext")->click();
        QCOMPARE(grid->rowCount(), 2);
        QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("1"));
        QCOMPARE(page->findChild<QComboBox*>("cbQueryPage")->currentText(), QStringLiteral("2/2"));
        MessageBoxHook::Clear();
        page->findChild<QComboBox*>("cbMark")->setCurrentText("96");
        page->findChild<QPushButton*>("btnQuery")->click();
        QCOMPARE(MessageBoxHook::Recorded(),
                 QStringList{QStringLiteral("抱歉！没有96分以上的成绩。")});
        QCOMPARE(grid->rowCount(), 1);
        // Opening the page again clears the list and brings back the ID.
        Window->grpMoreOptionItems4Click();
        QCOMPARE(id->text(), QStringLiteral("page-1"));
        QCOMPARE(grid->rowCount(), 1);
    }
};

QTEST_MAIN(TestMockExam)
#include "tst_MockExam.moc"
