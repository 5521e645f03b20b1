#include "exam/uConfirmRefer.h"

#include "app/Look.h"

#include "data/TQuery.h"
#include "data/uLoadDll.h"
#include "data/uProc.h"
#include "exam/GradeOutbox.h"
#include "exam/MockExamRules.h"
#include "exam/uMockExam.h"
#include "record/ExamRecord.h"
#include "record/LearnerRecord.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

TfrmConfirmRefer* frmConfirmRefer = nullptr;

namespace {

const QString SubmitCaption = QStringLiteral("确认交卷");
const QString CloseCaption = QStringLiteral("关 闭");

QWidget* Band(QWidget* parent, const char* name, int top, int height, const QColor& color) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setGeometry(0, top, 470, height);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, color);
    panel->setPalette(palette);
    panel->setAutoFillBackground(true);
    return panel;
}

QLabel* BandLabel(QWidget* parent, const char* name, int x, int y, int pixels,
                  const QColor& color) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(x, y);
    label->setFont(Look::SongFont(pixels, true));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

} // namespace

void ConfirmRefer(TfrmMockExam& exam) {
    if (frmConfirmRefer)
        return;
    TfrmConfirmRefer dialog(exam);
    dialog.exec();
}

TfrmConfirmRefer::TfrmConfirmRefer(TfrmMockExam& exam) : QDialog(nullptr), Exam(exam) {
    frmConfirmRefer = this;
    setObjectName("frmConfirmRefer");
    setWindowTitle(QStringLiteral("提示"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFixedSize(470, 470);
    QWidget* pnl1 = Band(this, "pnl1", 0, 60, QColor(0, 128, 128));
    QWidget* pnl2 = Band(this, "pnl2", 60, 45, QColor(62, 192, 128));
    QWidget* pnl3 = Band(this, "pnl3", 105, 240, QColor(62, 192, 128));
    QWidget* pnl4 = Band(this, "pnl4", 345, 125, QColor(129, 128, 194));
    lbl1 = BandLabel(pnl1, "lbl1", 139, 14, 32, QColor(255, 0, 0));
    lbl2 = BandLabel(pnl2, "lbl2", 14, 8, 29, QColor(0, 0, 0));
    lbl3 = BandLabel(pnl3, "lbl3", 14, 16, 29, QColor(0, 0, 0));
    lbl3->resize(427, 177);
    lbl3->setWordWrap(true);
    lbl3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    btnOK = new QPushButton(pnl4);
    btnOK->setObjectName("btnOK");
    btnCancel = new QPushButton(pnl4);
    btnCancel->setObjectName("btnCancel");
    for (QPushButton* button : {btnOK, btnCancel}) {
        button->setFont(Look::SongFont(19, true));
        button->setAutoDefault(false);
    }
    // The confirmation face.
    lbl1->setText(QStringLiteral("考试确认窗口"));
    lbl2->setText(QStringLiteral("操作提示："));
    lbl3->setText(QStringLiteral("1：点击【确认交卷】，将提交考试成绩，结束考试！\n"
                                 "2：点击【继续考试】，将关闭本窗口，继续考试！"));
    btnOK->setText(SubmitCaption);
    btnCancel->setText(QStringLiteral("继续考试"));
    btnOK->setGeometry(92, 42, 125, 45);
    btnCancel->setGeometry(244, 42, 125, 45);
    for (QLabel* label : {lbl1, lbl2})
        label->adjustSize();
    connect(btnOK, &QPushButton::clicked, this, &TfrmConfirmRefer::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmConfirmRefer::btnCancelClick);
    if (const QScreen* screen = exam.screen())
        move(screen->geometry().center() - rect().center());
}

TfrmConfirmRefer::~TfrmConfirmRefer() {
    if (frmConfirmRefer == this)
        frmConfirmRefer = nullptr;
}

void TfrmConfirmRefer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TfrmConfirmRefer::FormShow() {
    raise();
    activateWindow();
    // The time ran out: submit without waiting for the learner.
    if (!Exam.CountdownRunning())
        QTimer::singleShot(0, this, &TfrmConfirmRefer::SubmitNow);
}

void TfrmConfirmRefer::keyPressEvent(QKeyEvent* event) {
    // The dialog has no close key: each face ends only through its two buttons.
    if (event->key() != Qt::Key_Escape)
        QDialog::keyPressEvent(event);
}

void TfrmConfirmRefer::SubmitNow() {
    if (btnOK->text() == SubmitCaption)
        btnOKClick();
}

void TfrmConfirmRefer::btnOKClick() {
    if (btnOK->text() != SubmitCaption) {
        Exam.ShowWrongSubs();
        accept();
        return;
    }
    Exam.StopCountdown();
    const int score = Exam.GetRightCount();
    NoteMockExam(LearnerRecord(), Exam.Paper(), score, UseTime(Exam.ClockText()), Exam.Learner(),
                 CodeToStr);
    if (score >= PassMark)
        InsertGrade(score);
    lbl1->setText(QStringLiteral("信 息 提 示"));
    lbl2->setText(QStringLiteral("学员："));
    lbl3->setText(ResultText(score));
    btnOK->setText(QStringLiteral("查看错题"));
    btnCancel->setText(CloseCaption);
    lbl1->adjustSize();
    lbl2->adjustSize();
}

void TfrmConfirmRefer::btnCancelClick() {
    const bool closeExam = btnCancel->text() == CloseCaption;
    reject();
    if (closeExam) {
        Exam.AskOnClose = false;
        Exam.close();
    }
}

void TfrmConfirmRefer::InsertGrade(int mark) {
    const TGrade grade{GradeOutbox::NewKey(), Exam.Learner().ID, Exam.Learner().Name,
                       UseTime(Exam.ClockText()), mark};
    // Kept before sending: a grade the service cannot take now is sent again later.
    GradeOutbox::Keep(grade);
    TQuery dataset;
    if (!ExecRemoteSQL(dataset, InsertGradeCommand(grade), QStringLiteral("Execute"), true))
        return;
    GradeOutbox::Forget(grade.Key);
    GradeOutbox::Resend(GradeOutbox::SendQuietly);
}
