#include "exam/uMockExam.h"

#include "app/Look.h"

#include "data/MessageBox.h"
#include "data/uLoadDll.h"
#include "data/uProc.h"
#include "exam/MockExamRules.h"
#include "exam/uConfirmRefer.h"
#include "practice/AnswerRule.h"
#include "practice/KeyButtons.h"
#include "practice/KeyRules.h"
#include "practice/PracticeRules.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>

TfrmMockExam* frmMockExam = nullptr;

namespace {

void SetTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

void SetBackground(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Base, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

template <typename T> T* Named(T* control, const char* name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y, int pixels,
                  bool bold, const QColor& color = QColor(0, 0, 0)) {
    QLabel* label = Named(new QLabel(text, parent), name);
    label->move(x, y);
    label->setFont(Look::SongFont(pixels, bold));
    SetTextColor(label, color);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry,
                        int pixels) {
    QPushButton* button = Named(new QPushButton(caption, parent), name);
    button->setGeometry(geometry);
    button->setFont(Look::SongFont(pixels, true));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// The prompt line's look while answering and in the review.
void SetPromptFont(QLabel* label, bool review) {
    label->setFont(Look::SongPointFont(review ? 11 : 9, review));
    SetTextColor(label, review ? QColor(0, 0, 255) : QColor(0, 0, 0));
}

} // namespace

void OpenMockExam(const TExamSession& session) {
    if (frmMockExam)
        return;
    frmMockExam = new TfrmMockExam(session);
    frmMockExam->showFullScreen();
    if (session.MainWindow)
        session.MainWindow->hide();
}

TfrmMockExam::TfrmMockExam(const TExamSession& session) : QWidget(nullptr), Session(session) {
    setObjectName("frmMockExam");
    setAttribute(Qt::WA_DeleteOnClose);
    // No title bar, a taskbar button of its own, in front of every other window.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setWindowTitle(QStringLiteral("驾驶员科目一考试"));
    setFont(Look::SongFont(14, false));
    setFocusPolicy(Qt::StrongFocus);
    SetBackground(this, QColor(255, 255, 255));
    resize(1022, 736);
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    connect(Timer1, &QTimer::timeout, this, &TfrmMockExam::Timer1Timer);
    BuildLoginPanel();
    BuildExamPanel();
    FormCreate();
}

TfrmMockExam::~TfrmMockExam() {
    if (frmMockExam == this)
        frmMockExam = nullptr;
}

void TfrmMockExam::BuildLoginPanel() {
    pnlMockExamLogin = Named(new QWidget(this), "pnlMockExamLogin");
    SetBackground(pnlMockExamLogin, QColor(255, 255, 255));
    imgMockExamLogin = Named(new QLabel(pnlMockExamLogin), "imgMockExamLogin");
    imgMockExamLogin->setGeometry(0, 0, 818, 614);
    imgMockExamLogin->setAlignment(Qt::AlignCenter);
    MakeLabel(pnlMockExamLogin, "lblMockExamTitle", QStringLiteral("Veltrano考场01考台"), 450, 234,
              24, true);
    MakeLabel(pnlMockExamLogin, "lblMockExamID", QStringLiteral("身份证号："), 392, 290, 16, true,
              QColor(255, 0, 0));
    edtID = Named(new QLineEdit(pnlMockExamLogin), "edtID");
    edtID->setGeometry(483, 287, 160, 22);
    edtID->setMaxLength(25);
    MakeLabel(pnlMockExamLogin, "lblMockExamName", QStringLiteral("考生姓名："), 392, 338, 16, true,
              QColor(255, 0, 0));
    edtName = Named(new QLineEdit(pnlMockExamLogin), "edtName");
    edtName->setGeometry(483, 335, 160, 22);
    edtName->setMaxLength(20);
    setTabOrder(edtID, edtName);
    btnMockExamLogin = MakeButton(pnlMockExamLogin, "btnMockExamLogin", QStringLiteral("确 定"),
                                  QRect(518, 384, 90, 35), 16);
    btnMockExamLogin->setDefault(true);
    MakeLabel(pnlMockExamLogin, "lblMockExamMsg", QStringLiteral("点击“确定”按钮开始考试！"), 392,
              458, 16, true, QColor(255, 0, 0));
    connect(btnMockExamLogin, &QPushButton::clicked, this, &TfrmMockExam::btnMockExamLoginClick);
    // Enter in either field presses the default button.
    for (QLineEdit* edit : {edtID, edtName})
        connect(edit, &QLineEdit::returnPressed, this, &TfrmMockExam::btnMockExamLoginClick);
}

void TfrmMockExam::BuildExamPanel() {
    pnlMockExam = Named(new QWidget(this), "pnlMockExam");
    SetBackground(pnlMockExam, QColor(255, 255, 255));
    imgMockExam = Named(new QLabel(pnlMockExam), "imgMockExam");
    imgMockExam->setAlignment(Qt::AlignCenter);
    QLabel* room = MakeLabel(pnlMockExam, "lblRoomTitle", QStringLiteral("Veltrano考场"), 31, 41,
                             12, true, QColor(201, 52, 9));
    room->setAlignment(Qt::AlignCenter);
    room->setAutoFillBackground(true);
    lblName = MakeLabel(pnlMockExam, "lblName", QString(), 96, 287, 14, false);
    lblSex = MakeLabel(pnlMockExam, "lblSex", QStringLiteral("男"), 96, 314, 14, false);
    lblCarType = MakeLabel(pnlMockExam, "lblCarType", QString(), 96, 342, 14, false);
    for (QLabel* label : {lblName, lblSex, lblCarType})
        label->setMinimumWidth(150);
    reQuestion = Named(new QTextEdit(pnlMockExam), "reQuestion");
    reQuestion->setReadOnly(true);
    reQuestion->setFrameShape(QFrame::NoFrame);
    reQuestion->setFont(Look::SongFont(16, true));
    reQuestion->setFocusPolicy(Qt::NoFocus);
    pnlMockExamPic = Named(new QWidget(pnlMockExam), "pnlMockExamPic");
    imgSubPic = Named(new QLabel(pnlMockExamPic), "imgSubPic");
    imgSubPic->setAlignment(Qt::AlignCenter);
    lblMyAnswer =
        MakeLabel(pnlMockExam, "lblMyAnswer", QString(), 335, 364, 20, true, QColor(255, 0, 0));
    const char* names[] = {"btnA", "btnB", "BtnC", "btnD"};
    QPushButton** buttons[] = {&btnA, &btnB, &BtnC, &btnD};
    for (int i = 0; i < 4; ++i) {
        QPushButton* button = MakeButton(pnlMockExam, names[i], QString(QChar('A' + i)),
                                         QRect(699 + 77 * i, 356, 68, 35), 19);
        connect(button, &QPushButton::clicked, this, [this, button] { btnAClick(button); });
        *buttons[i] = button;
    }
    btnLast = MakeButton(pnlMockExam, "btnLast", QStringLiteral("上一题"), QRect(), 19);
    btnNext = MakeButton(pnlMockExam, "btnNext", QStringLiteral("下一题"), QRect(), 19);
    btnRefer = MakeButton(pnlMockExam, "btnRefer", QStringLiteral("交卷"), QRect(), 19);
    connect(btnLast, &QPushButton::clicked, this, &TfrmMockExam::btnLastClick);
    connect(btnNext, &QPushButton::clicked, this, &TfrmMockExam::btnNextClick);
    connect(btnRefer, &QPushButton::clicked, this, &TfrmMockExam::btnReferClick);
    lblTime = MakeLabel(pnlMockExam, "lblTime", CountdownText(ExamSeconds), 57, 422, 19, false);
    lblMsg = MakeLabel(pnlMockExam, "lblMsg", QString(), 182, 424, 12, false);
    lblMsg->setMinimumWidth(500);
}

void TfrmMockExam::FormCreate() {
    AskOnClose = true;
    pnlMockExamLogin->resize(818, 614);
    pnlMockExamLogin->show();
    pnlMockExam->resize(1024, 743);
    pnlMockExam->hide();
    edtName->setText(Session.DriverInfo.Name);
    edtID->setText(Session.DriverInfo.ID);
    // The whole screen, also where no window manager honours the full-screen state.
    if (const QScreen* shown = screen())
        setGeometry(shown->geometry());
}

void TfrmMockExam::FormResize() {
    const QSize screenSize = screen() ? screen()->geometry().size() : size();
    for (QWidget* panel : {pnlMockExamLogin, pnlMockExam})
        panel->move((screenSize.width() - panel->width()) / 2,
                    (screenSize.height() - panel->height() - 40) / 2);
}

void TfrmMockExam::FormShow() {
    CreateSubListLbls();
    InitMockExamLayout();
    raise();
    activateWindow();
    edtID->setFocus();
}

void TfrmMockExam::InitMockExamLayout() {
    LoadResImage(imgMockExam, QStringLiteral("MockExam"));
    LoadResImage(imgMockExamLogin, QStringLiteral("MockExamLogin"));
    imgMockExam->setGeometry(0, 0, 1024, 743);
    imgMockExam->lower();
    pnlMockExam->findChild<QLabel*>("lblRoomTitle")->setGeometry(31, 41, 82, 16);
    lblName->move(96, 287);
    lblSex->move(96, 314);
    lblCarType->move(96, 342);
    reQuestion->setGeometry(176, 64, 800, 250);
    pnlMockExamPic->setGeometry(740, 130, 220, 180);
    imgSubPic->setGeometry(0, 0, 220, 180);
    lblMyAnswer->setGeometry(335, 364, 60, 26);
    btnLast->setGeometry(693, 408, 90, 35);
    btnNext->setGeometry(800, 408, 90, 35);
    btnRefer->setGeometry(907, 408, 90, 35);
    lblTime->move(57, 422);
    lblMsg->move(182, 424);
}

void TfrmMockExam::CreateSubListLbls() {
    for (int n = 1; n <= AnswerSheetCells; ++n)
        delete SubListLbls[n];
    for (int n = 1; n <= AnswerSheetCells; ++n) {
        auto* cell = new QLabel(QString::number(n), pnlMockExam);
        cell->setObjectName(QStringLiteral("SubListLbl%1").arg(n));
        cell->setGeometry((n - 1) % 20 * 49 + 27, (n - 1) / 20 * 50 + 479, 46, 47);
        cell->setWordWrap(true);
        cell->setAlignment(Qt::AlignCenter);
        cell->setFrameShape(QFrame::Box);
        cell->setProperty("tag", n);
        cell->installEventFilter(this);
        cell->show();
        SubListLbls[n] = cell;
        PaintCell(n, QColor(255, 255, 255));
    }
}

void TfrmMockExam::ResetSubListLbls() {
    for (int n = 1; n <= AnswerSheetCells; ++n) {
        SubListLbls[n]->setText(QString::number(n));
        SubListLbls[n]->setProperty("tag", n);
        PaintCell(n, QColor(255, 255, 255));
    }
}

void TfrmMockExam::PaintCell(int n, const QColor& color) {
    if (n >= 1 && n <= AnswerSheetCells && SubListLbls[n])
        SetBackground(SubListLbls[n], color);
}

void TfrmMockExam::ShowExamSub(int n) {
    if (!HasQuestion(Session.SubList, n))
        return;
    const TSub& sub = Session.SubList[n];
    reQuestion->clear();
    const bool judge = IsJudgeQuestion(sub);
    if (InExam) {
        btnA->setText(judge ? QStringLiteral("√") : QStringLiteral("A"));
        btnB->setText(judge ? QStringLiteral("×") : QStringLiteral("B"));
        BtnC->setVisible(!judge);
        btnD->setVisible(!judge);
        lblMsg->setText(judge ? QStringLiteral("判断题，请判断对错！")
                              : QStringLiteral("选择题，请在备选答案中选择你认为正确的答案！"));
    } else {
        lblMsg->setText(QStringLiteral("正确答案：") + CodeToStr(sub.SubAnswer));
    }
    LoadRichText(reQuestion, QuestionText(n, sub, CodeToStr));
    const QString file = sub.SubContentPic.isEmpty()
                             ? QString()
                             : LoadSubImage(sub.SubContentPic, sub.SubContentPicType);
    LoadPictureFile(imgSubPic, file);
    const QPixmap picture = imgSubPic->pixmap();
    if (!picture.isNull())
        imgSubPic->setPixmap(
            picture.scaled(imgSubPic->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    lblMyAnswer->setText(CaptionOfAnswer(sub.MyAnswer));
    btnLast->setEnabled(n > 1);
    btnNext->setEnabled(n < QuestionCount(Session.SubList));
}

void TfrmMockExam::SetSubListLblColor(int newIndex, int oldIndex) {
    const TSubList& paper = Session.SubList;
    if (InExam) {
        PaintCell(newIndex,
                  SheetCellColor(TSheetMode::Answering, paper, newIndex, true, CodeToStr));
        PaintCell(oldIndex,
                  SheetCellColor(TSheetMode::Answering, paper, oldIndex, false, CodeToStr));
    } else {
        PaintCell(oldIndex, SheetCellColor(TSheetMode::Review, paper, oldIndex, false, CodeToStr));
        PaintCell(newIndex, SheetCellColor(TSheetMode::Review, paper, newIndex, true, CodeToStr));
    }
}

void TfrmMockExam::btnMockExamLoginClick() {
    const QString id = edtID->text().trimmed();
    const QString name = edtName->text().trimmed();
    if (id.isEmpty() || name.isEmpty()) {
        ShowMessageBox(this, QStringLiteral("身份证号和考生姓名不能为空！"), MsgIcon::Warning);
        return;
    }
    Configure::WriteString(QStringLiteral("DriverInfo"), QStringLiteral("Name"), name);
    Configure::WriteString(QStringLiteral("DriverInfo"), QStringLiteral("ID"), id);
    Session.DriverInfo.Name = name;
    Session.DriverInfo.ID = id;
    pnlMockExamLogin->hide();
    pnlMockExam->show();
    InExam = true;
    lblName->setText(edtName->text());
    lblSex->setText(QStringLiteral("男"));
    lblCarType->setText(ExamLicenceText(Session.DriverInfo.SubCarTypeID));
    StartCountdown();
    Session.SubIndex = 1;
    ShowExamSub(1);
    SetSubListLblColor(1, 2);
    setFocus();
}

void TfrmMockExam::StartCountdown() {
    lblTime->setText(CountdownText(ExamSeconds));
    Timer1->start(1000);
}

void TfrmMockExam::StopCountdown() {
    Timer1->stop();
}

bool TfrmMockExam::CountdownRunning() const {
    return Timer1->isActive();
}

QString TfrmMockExam::ClockText() const {
    return lblTime->text();
}

void TfrmMockExam::Timer1Timer() {
    const int left = CountdownSeconds(lblTime->text()) - 1;
    if (left > 0) {
        lblTime->setText(CountdownText(left));
        return;
    }
    lblTime->setText(CountdownText(0));
    Timer1->stop();
    // An open confirmation submits at once; otherwise the submission opens one.
    if (frmConfirmRefer)
        frmConfirmRefer->SubmitNow();
    else
        btnReferClick();
}

void TfrmMockExam::btnLastClick() {
    const int old = Session.SubIndex;
    if (!HasQuestion(Session.SubList, old - 1))
        return;
    Session.SubIndex = old - 1;
    ShowExamSub(Session.SubIndex);
    SetSubListLblColor(Session.SubIndex, old);
}

void TfrmMockExam::btnNextClick() {
    const int old = Session.SubIndex;
    if (!HasQuestion(Session.SubList, old + 1))
        return;
    Session.SubIndex = old + 1;
    ShowExamSub(Session.SubIndex);
    SetSubListLblColor(Session.SubIndex, old);
}

void TfrmMockExam::SubListLblClick(int number) {
    if (!HasQuestion(Session.SubList, number))
        return;
    const int old = Session.SubIndex;
    Session.SubIndex = number;
    SetSubListLblColor(number, old);
    ShowExamSub(number);
}

void TfrmMockExam::btnAClick(QPushButton* button) {
    const int index = Session.SubIndex;
    if (!InExam || !HasQuestion(Session.SubList, index))
        return;
    const QString caption = button->text();
    RecordAnswer(SharedQuery(), Session.SubList[index], AnswerOfCaption(caption), CodeToStr);
    lblMyAnswer->setText(caption);
    SubListLbls[index]->setText(
        SheetCellCaption(SubListLbls[index]->property("tag").toInt(), caption));
    // The pause lets the countdown run out and the exam end; only an exam still answering
    // the same question moves on.
    QPointer<TfrmMockExam> self(this);
    Pause(400);
    if (self && InExam && Session.SubIndex == index && btnNext->isEnabled())
        btnNextClick();
}

void TfrmMockExam::btnReferClick() {
    if (InExam)
        ConfirmRefer(*this);
    else
        StartRetake();
}

void TfrmMockExam::StartRetake() {
    if (!Session.LoadMockExamSubList())
        return;
    btnRefer->setText(QStringLiteral("交卷"));
    InExam = true;
    for (QPushButton* button : {btnA, btnB, BtnC, btnD})
        button->setEnabled(true);
    ResetSubListLbls();
    SetPromptFont(lblMsg, false);
    StartCountdown();
    Session.SubIndex = 1;
    ShowExamSub(1);
    SetSubListLblColor(1, 2);
}

int TfrmMockExam::GetRightCount() const {
    return RightCount(Session.SubList, CodeToStr);
}

void TfrmMockExam::ShowWrongSubs() {
    btnRefer->setText(QStringLiteral("重考"));
    InExam = false;
    for (QPushButton* button : {btnA, btnB, BtnC, btnD})
        button->setEnabled(false);
    for (int n = 1; n <= AnswerSheetCells; ++n)
        if (HasQuestion(Session.SubList, n))
            PaintCell(n, SheetCellColor(TSheetMode::Review, Session.SubList, n, false, CodeToStr));
    SetPromptFont(lblMsg, true);
    Session.SubIndex = 1;
    ShowExamSub(1);
    SetSubListLblColor(1, 2);
}

bool TfrmMockExam::FormKeyDown(int windowsKey) {
    if (!pnlMockExam->isVisible())
        return false;
    const bool judge = btnA->text() == QStringLiteral("√");
    // The practice key rules; a judgement question answers on btnA ("√") and btnB ("×").
    const TKeyAction action =
        MatchKeyRule(windowsKey, Session.KeyMap, judge ? QStringLiteral("对") : btnB->text(),
                     judge ? QStringLiteral("错") : BtnC->text());
    // There the A key answers nothing.
    return judge ? PressKeyButton(action, {btnLast, btnNext, nullptr, btnA, btnB, btnD})
                 : PressKeyButton(action, {btnLast, btnNext, btnA, btnB, BtnC, btnD});
}

void TfrmMockExam::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (Shown)
        return;
    Shown = true;
    FormShow();
}

void TfrmMockExam::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (frmMockExam == this)
        FormResize();
}

void TfrmMockExam::keyPressEvent(QKeyEvent* event) {
    if (!FormKeyDown(WindowsKeyCode(*event)))
        QWidget::keyPressEvent(event);
}

bool TfrmMockExam::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        const QVariant tag = watched->property("tag");
        if (tag.isValid() && watched->objectName().startsWith(QStringLiteral("SubListLbl"))) {
            SubListLblClick(tag.toInt());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmMockExam::closeEvent(QCloseEvent* event) {
    if (AskOnClose && ShowMessageBox(this, QStringLiteral("是否要退出模拟考试！"),
                                     MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes) {
        event->ignore();
        return;
    }
    Timer1->stop();
    if (Session.MainWindow)
        Session.MainWindow->show();
    if (frmMockExam == this)
        frmMockExam = nullptr;
    event->accept();
}
